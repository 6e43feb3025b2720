# Cross-compiles for Windows with MinGW-w64 (i686).
set(PAKORRA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
