# Cross-compiles for Windows with MinGW-w64 (x86_64).
set(PAKORRA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
