# Proves that the layers are enforced, not only described:
#   cmake -DROOT=<source tree> -DSCRATCH=<dir> -DLAYER_TREES=<build>/layers -DCXX=<compiler> -P LayerProbe.cmake
# 1. the source tree passes the include check;
# 2. a copy of it with one wrong-way include (host includes ui) fails the check;
# 3. a host file that includes a ui header does not compile against the host library's headers,
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
file(COPY "${ROOT}/src" "${ROOT}/refengine" DESTINATION "${SCRATCH}")
file(APPEND "${SCRATCH}/src/host/UpdateLock.cpp" "#include \"ui/ConsoleWindow.h\"\n")
run_check("${SCRATCH}" FALSE)
if(NOT CHECK_OUTPUT MATCHES "src/host/UpdateLock.cpp: host may not include ui/ConsoleWindow.h")
    message(FATAL_ERROR "The layer check did not name the wrong edge:\n${CHECK_OUTPUT}")
endif()

function(compile_probe name include expect_success)
    set(probe "${SCRATCH}/${name}.cpp")
    file(WRITE "${probe}" "#include \"${include}\"\nint main() { return 0; }\n")
    execute_process(COMMAND "${CXX}" -std=c++20 -fsyntax-only -I "${LAYER_TREES}/host" "${probe}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expect_success AND NOT result EQUAL 0)
        message(FATAL_ERROR "A right-way include does not compile in the host layer:\n${output}")
    elseif(NOT expect_success AND result EQUAL 0)
        message(FATAL_ERROR "A wrong-way include compiles in the host layer: ${include}")
    endif()
endfunction()

compile_probe(right_way "net/QueryReporter.h" TRUE)
compile_probe(wrong_way "ui/ConsoleWindow.h" FALSE)
message(STATUS "A wrong-way include fails both the check and the build.")
