# The Windows counterparts of the targets Dependencies.cmake takes from Debian's
# packages: cJSON, minizip, libsodium and libdeflate built from Debian's sources (unpacked by
# scripts/windows-sources), zlib from libz-mingw-w64-dev, GoogleTest from
# /usr/src/googletest.
set(QELT_WINDOWS_SOURCES "${PROJECT_SOURCE_DIR}/build/sources"
    CACHE PATH "Directory filled by scripts/windows-sources")
foreach(package cjson minizip cpp-httplib libsodium libdeflate)
  if(NOT IS_DIRECTORY "${QELT_WINDOWS_SOURCES}/${package}")
    message(FATAL_ERROR "No ${package} sources in ${QELT_WINDOWS_SOURCES}; "
                        "run scripts/windows-sources ${QELT_WINDOWS_SOURCES}")
  endif()
endforeach()

# Headers are copied to the paths Debian installs them under, so the code
# includes <cjson/cJSON.h> and <minizip/unzip.h> on both platforms.
set(QELT_DEPS_INCLUDE "${CMAKE_BINARY_DIR}/deps/include")
function(qelt_stage_headers subdir source_dir)
  foreach(header IN LISTS ARGN)
    configure_file("${source_dir}/${header}" "${QELT_DEPS_INCLUDE}/${subdir}/${header}" COPYONLY)
  endforeach()
endfunction()

# Code we do not own is built without our warning flags.
function(qelt_quiet_third_party)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -w)
  endforeach()
endfunction()

find_package(Threads REQUIRED)

# The static archive only: libz.dll.a beside it would make the program need zlib1.dll.
find_library(QELT_ZLIB_ARCHIVE NAMES libz.a REQUIRED)
find_path(QELT_ZLIB_INCLUDE zlib.h REQUIRED)
add_library(qelt_zlib STATIC IMPORTED GLOBAL)
set_target_properties(qelt_zlib PROPERTIES
  IMPORTED_LOCATION "${QELT_ZLIB_ARCHIVE}"
  INTERFACE_INCLUDE_DIRECTORIES "${QELT_ZLIB_INCLUDE}")
add_library(qelt::zlib ALIAS qelt_zlib)

set(cjson_dir "${QELT_WINDOWS_SOURCES}/cjson")
qelt_stage_headers(cjson "${cjson_dir}" cJSON.h)
add_library(qelt_cjson STATIC "${cjson_dir}/cJSON.c")
# On Windows cJSON.h makes every function __stdcall. No dllexport marks: GNU ld
# would export them as cJSON_Parse@4, so a program that exports them names
# them itself in a .def file (_cJSON_Parse@4 = cJSON_Parse@4).
target_compile_definitions(qelt_cjson PUBLIC CJSON_HIDE_SYMBOLS PRIVATE ENABLE_LOCALES)
target_include_directories(qelt_cjson SYSTEM INTERFACE "${QELT_DEPS_INCLUDE}")
qelt_quiet_third_party(qelt_cjson)
add_library(qelt::cjson ALIAS qelt_cjson)

set(minizip_dir "${QELT_WINDOWS_SOURCES}/minizip")
qelt_stage_headers(minizip "${minizip_dir}" crypt.h ioapi.h iowin32.h mztools.h unzip.h zip.h)
# The files of Debian's libminizip, with iowin32.c as its Windows build adds.
add_library(qelt_minizip STATIC
  "${minizip_dir}/ioapi.c"
  "${minizip_dir}/iowin32.c"
  "${minizip_dir}/mztools.c"
  "${minizip_dir}/unzip.c"
  "${minizip_dir}/zip.c")
# Debian's unzip.c has no decryption; say so for any source that does.
target_compile_definitions(qelt_minizip PRIVATE NOUNCRYPT)
target_include_directories(qelt_minizip SYSTEM INTERFACE "${QELT_DEPS_INCLUDE}")
target_link_libraries(qelt_minizip PUBLIC qelt::zlib)
qelt_quiet_third_party(qelt_minizip)
add_library(qelt::minizip ALIAS qelt_minizip)

# libsodium: every C file of Debian's source, in portable C. The files for
# particular instruction sets compile to nothing without their HAVE_ macros,
# and the assembly files are left out, so one list serves both Windows presets.
set(sodium_dir "${QELT_WINDOWS_SOURCES}/libsodium/src/libsodium")
file(STRINGS "${QELT_WINDOWS_SOURCES}/libsodium/configure.ac" sodium_configure
     REGEX "^(AC_INIT|SODIUM_LIBRARY_VERSION_MAJOR=|SODIUM_LIBRARY_VERSION_MINOR=)")
string(REGEX MATCH "AC_INIT\\(\\[libsodium\\],\\[([0-9.]+)\\]" _ "${sodium_configure}")
set(VERSION "${CMAKE_MATCH_1}")
string(REGEX MATCH "SODIUM_LIBRARY_VERSION_MAJOR=([0-9]+)" _ "${sodium_configure}")
set(SODIUM_LIBRARY_VERSION_MAJOR "${CMAKE_MATCH_1}")
string(REGEX MATCH "SODIUM_LIBRARY_VERSION_MINOR=([0-9]+)" _ "${sodium_configure}")
set(SODIUM_LIBRARY_VERSION_MINOR "${CMAKE_MATCH_1}")
set(SODIUM_LIBRARY_MINIMAL_DEF "")
configure_file("${sodium_dir}/include/sodium/version.h.in"
               "${QELT_DEPS_INCLUDE}/sodium/version.h" @ONLY)
file(GLOB sodium_headers RELATIVE "${sodium_dir}/include" "${sodium_dir}/include/sodium.h"
     "${sodium_dir}/include/sodium/*.h")
qelt_stage_headers(. "${sodium_dir}/include" ${sodium_headers})
file(GLOB_RECURSE sodium_sources "${sodium_dir}/*.c")
add_library(qelt_sodium STATIC ${sodium_sources})
target_compile_definitions(qelt_sodium
  PUBLIC SODIUM_STATIC=1
  PRIVATE CONFIGURED=1 NATIVE_LITTLE_ENDIAN=1)
target_include_directories(qelt_sodium SYSTEM INTERFACE "${QELT_DEPS_INCLUDE}")
target_include_directories(qelt_sodium PRIVATE "${QELT_DEPS_INCLUDE}/sodium"
                           "${sodium_dir}/include/sodium")
# The system's random source, RtlGenRandom, lives in advapi32.
target_link_libraries(qelt_sodium PUBLIC advapi32)
qelt_quiet_third_party(qelt_sodium)
add_library(qelt::sodium ALIAS qelt_sodium)

# libdeflate: its decompressor and CRC-32 only, with the run-time choice of
# the processor's instructions that its own build makes.
set(deflate_dir "${QELT_WINDOWS_SOURCES}/libdeflate")
qelt_stage_headers(. "${deflate_dir}" libdeflate.h)
add_library(qelt_deflate STATIC
  "${deflate_dir}/lib/crc32.c"
  "${deflate_dir}/lib/deflate_decompress.c"
  "${deflate_dir}/lib/utils.c"
  "${deflate_dir}/lib/x86/cpu_features.c")
target_include_directories(qelt_deflate SYSTEM INTERFACE "${QELT_DEPS_INCLUDE}")
target_include_directories(qelt_deflate PRIVATE "${deflate_dir}")
qelt_quiet_third_party(qelt_deflate)
add_library(qelt::deflate ALIAS qelt_deflate)

# cpp-httplib, header-only, for the tests' loopback server.
qelt_stage_headers(. "${QELT_WINDOWS_SOURCES}/cpp-httplib" httplib.h)
add_library(qelt_httplib INTERFACE)
target_include_directories(qelt_httplib SYSTEM INTERFACE "${QELT_DEPS_INCLUDE}")
target_link_libraries(qelt_httplib INTERFACE ws2_32)
add_library(qelt::httplib ALIAS qelt_httplib)

# GoogleTest defines GTest::gtest, GTest::gtest_main, GTest::gmock and
# GTest::gmock_main itself; on MinGW it uses Win32 threads, not pthreads.
set(INSTALL_GTEST OFF)
set(BUILD_GMOCK ON)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/deps/googletest" EXCLUDE_FROM_ALL SYSTEM)
qelt_quiet_third_party(gtest gtest_main gmock gmock_main)
