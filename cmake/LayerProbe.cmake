# Proves that the layers are enforced, not only described:
#   cmake -DROOT=<source tree> -DSCRATCH=<dir> -DLAYER_TREES=<build>/layers -DCXX=<compiler> -P LayerProbe.cmake
# 1. the source tree passes the include check;
# 2. copies of it fail the check with one wrong-way include (host includes ui), a cycle in the table, a
#    folder named without a line of its own and a folder with two lines; a copy in which app includes a
#    folder it reaches only through others (net/query, through host/session) passes;
# 3. a host/session file that includes a ui header does not compile against that library's headers,
#    while one that includes a net header does.
cmake_minimum_required(VERSION 3.25)
foreach(variable ROOT SCRATCH LAYER_TREES CXX)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "LayerProbe.cmake needs -D${variable}=...")
    endif()
endforeach()

function(run_check root expect_success)
    execute_process(COMMAND "${CMAKE_COMMAND}" -DROOT=${root} -P "${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expect_success AND NOT result EQUAL 0)
        message(FATAL_ERROR "The layer check fails on ${root}:\n${output}")
    elseif(NOT expect_success AND result EQUAL 0)
        message(FATAL_ERROR "The layer check passed a wrong-way include in ${root}:\n${output}")
    endif()
    set(CHECK_OUTPUT "${output}" PARENT_SCOPE)
endfunction()

run_check("${ROOT}" TRUE)

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")

# A copy of the source tree to spoil: scratch_tree(<name> <out>).
function(scratch_tree name out)
    set(tree "${SCRATCH}/${name}")
    file(MAKE_DIRECTORY "${tree}")
    file(COPY "${ROOT}/src" "${ROOT}/refengine" DESTINATION "${tree}")
    set(${out} "${tree}" PARENT_SCOPE)
endfunction()

# Expects the check to fail on the tree, naming the problem.
function(expect_problem tree problem)
    run_check("${tree}" FALSE)
    string(FIND "${CHECK_OUTPUT}" "${problem}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The layer check did not say \"${problem}\":\n${CHECK_OUTPUT}")
    endif()
endfunction()

# A wrong-way include.
scratch_tree(wrong_way tree)
file(APPEND "${tree}/src/host/state/UpdateLock.cpp" "#include \"ui/ConsoleWindow.h\"\n")
expect_problem("${tree}" "src/host/state/UpdateLock.cpp: host/state may not include ui/ConsoleWindow.h")

# A folder below the ones it names directly, reached through them, may be included: the closure.
scratch_tree(reached tree)
file(APPEND "${tree}/src/app/CommandLine.cpp" "#include \"net/query/QueryReporter.h\"\n")
run_check("${tree}" TRUE)

# The table: a cycle, a folder without a line, a folder with two.
scratch_tree(cycle tree)
file(READ "${tree}/src/Layers.txt" table)
string(REGEX REPLACE "\nplatform/os\n" "\nplatform/os app\n" spoiled "${table}")
file(WRITE "${tree}/src/Layers.txt" "${spoiled}")
expect_problem("${tree}" "a cycle: platform/os uses app, which reaches platform/os")
file(WRITE "${tree}/src/Layers.txt" "${table}engine nowhere\n")
expect_problem("${tree}" "engine has more than one line")
expect_problem("${tree}" "engine uses nowhere, which has no line of its own")

function(compile_probe name include expect_success)
    set(probe "${SCRATCH}/${name}.cpp")
    file(WRITE "${probe}" "#include \"${include}\"\nint main() { return 0; }\n")
    execute_process(COMMAND "${CXX}" -std=c++20 -fsyntax-only -I "${LAYER_TREES}/host_session" "${probe}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expect_success AND NOT result EQUAL 0)
        message(FATAL_ERROR "A right-way include does not compile in the host/session layer:\n${output}")
    elseif(NOT expect_success AND result EQUAL 0)
        message(FATAL_ERROR "A wrong-way include compiles in the host/session layer: ${include}")
    endif()
endfunction()

compile_probe(right_way "net/query/QueryReporter.h" TRUE)
compile_probe(wrong_way "ui/ConsoleWindow.h" FALSE)
message(STATUS "A wrong-way include fails both the check and the build.")
