# The 32-bit product compiled by clang (a second compiler's warnings), with the
# MinGW-w64 GCC cross toolchain's headers, runtime and linker.
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw-common.cmake)
