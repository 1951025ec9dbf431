# The 64-bit product compiled by clang (a second compiler's warnings), with the
# MinGW-w64 GCC cross toolchain's headers, runtime and linker.
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw-common.cmake)
