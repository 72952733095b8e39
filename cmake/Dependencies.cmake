# Imported targets for the libraries, the same names on both platforms:
#   qelt::cjson  qelt::zlib  qelt::minizip  qelt::sodium  qelt::deflate
#   GTest::gtest_main  GTest::gmock  (and qelt::crypto, OpenSSL's libcrypto, on Linux)
# Linux takes Debian's packages; Windows builds them (see WindowsDependencies).
if(WIN32)
  include(WindowsDependencies)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(CJSON REQUIRED IMPORTED_TARGET libcjson)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(DEFLATE REQUIRED IMPORTED_TARGET libdeflate)
pkg_check_modules(CRYPTO REQUIRED IMPORTED_TARGET libcrypto)
pkg_check_modules(GTK REQUIRED IMPORTED_TARGET gtk+-3.0)
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

add_library(qelt::cjson ALIAS PkgConfig::CJSON)
add_library(qelt::minizip ALIAS PkgConfig::MINIZIP)
add_library(qelt::sodium ALIAS PkgConfig::SODIUM)
add_library(qelt::deflate ALIAS PkgConfig::DEFLATE)
add_library(qelt::crypto ALIAS PkgConfig::CRYPTO)
add_library(qelt::zlib ALIAS ZLIB::ZLIB)
add_library(qelt::gtk ALIAS PkgConfig::GTK)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_library(qelt::httplib ALIAS PkgConfig::HTTPLIB)
