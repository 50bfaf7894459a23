# Tests of the cross-build run under Wine: GoogleTest is built from Debian's sources with the
# cross-compiler, and every test program starts through a wrapper that keeps a Wine prefix of its
# own in the build folder (serial ports of that prefix are symlinks to pseudo-terminals).
find_program(FLASH_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(FLASH_WINE NAMES wine64 wine)
find_program(FLASH_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(FLASH_WINESERVER NAMES wineserver)
if(NOT FLASH_WINE OR NOT FLASH_WINESERVER)
  message(FATAL_ERROR "Wine is needed to run the Windows tests (Debian: wine64), or configure with -DFLASH_UPDATER_TESTS=OFF")
endif()
set(FLASH_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

set(FLASH_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build with the cross-compiler")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${FLASH_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
