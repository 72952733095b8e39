# 32-bit Windows with Debian's mingw-w64; programs run under 32-bit Wine.
set(QELT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# Debian's wine script picks the 32-bit loader when wine32 is installed.
find_program(QELT_WINE_LOADER wine REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
