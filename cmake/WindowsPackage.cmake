# Installation and the zip package on Windows: one folder, as the zip unpacks, holding the sample game
# with the programs, server.dll and the operator's guide in it, so that dravoserv.exe started there
# finds the engine beside itself and the game's resources in its current directory.
install(TARGETS dravoserv dravo-bot dravo-rez RUNTIME DESTINATION .)
install(TARGETS server LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(DIRECTORY data/ DESTINATION . PATTERN dravosrv.cfg EXCLUDE)

# The sample game's configuration as the Windows program saves its own: CRLF line breaks, and the
# engine named as server.dll.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/data/dravosrv.cfg")
file(READ "${PROJECT_SOURCE_DIR}/data/dravosrv.cfg" DRAVO_SAMPLE_CONFIGURATION)
string(REPLACE "(server.so)" "(server.dll)" DRAVO_SAMPLE_CONFIGURATION "${DRAVO_SAMPLE_CONFIGURATION}")
string(REPLACE "\r\n" "\n" DRAVO_SAMPLE_CONFIGURATION "${DRAVO_SAMPLE_CONFIGURATION}")
string(REPLACE "\n" "\r\n" DRAVO_SAMPLE_CONFIGURATION "${DRAVO_SAMPLE_CONFIGURATION}")
file(WRITE "${CMAKE_BINARY_DIR}/package/dravosrv.cfg" "${DRAVO_SAMPLE_CONFIGURATION}")
install(FILES "${CMAKE_BINARY_DIR}/package/dravosrv.cfg" DESTINATION .)

# The operator's guide as Windows text too, so that every editor there shows its lines.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/DravoSrv.txt")
file(READ "${PROJECT_SOURCE_DIR}/DravoSrv.txt" DRAVO_GUIDE)
string(REPLACE "\r\n" "\n" DRAVO_GUIDE "${DRAVO_GUIDE}")
string(REPLACE "\n" "\r\n" DRAVO_GUIDE "${DRAVO_GUIDE}")
file(WRITE "${CMAKE_BINARY_DIR}/package/DravoSrv.txt" "${DRAVO_GUIDE}")
install(FILES "${CMAKE_BINARY_DIR}/package/DravoSrv.txt" DESTINATION .)

# A zip of all of it: cpack -G ZIP in the build directory, dravoserv-2.1-win64.zip.
set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_NAME "dravoserv")
set(CPACK_PACKAGE_VENDOR "DravoServ")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dedicated server host for the multiplayer action game Dravo")
set(CPACK_PACKAGE_FILE_NAME "dravoserv-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
