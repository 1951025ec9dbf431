# Cross build for x64 with MinGW-w64 on Linux: 64-bit PowerBuilder
# applications, and the test run on machines that cannot execute 32-bit code.
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
