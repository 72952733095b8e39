# 64-bit Windows with Debian's mingw-w64; programs run under 64-bit Wine,
# which needs no i386 package and runs on kernels without 32-bit support.
set(QELT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# The 64-bit loader itself: Debian's wine script would prefer the 32-bit one.
find_program(QELT_WINE_LOADER wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
