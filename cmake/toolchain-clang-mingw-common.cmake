# Shared part of the clang cross toolchains for MinGW-w64; the including file
# sets TOOLCHAIN_PREFIX and CMAKE_SYSTEM_PROCESSOR. Clang compiles; everything
# else comes from the GCC cross toolchain: the MinGW-w64 headers and import
# libraries, libstdc++ and libgcc of its posix thread model (the GCC build's),
# the binutils, and GNU ld as the linker.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR ${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "Archive indexer")
set(CMAKE_OBJCOPY ${TOOLCHAIN_PREFIX}-objcopy CACHE FILEPATH "Object copier")

# The MinGW-w64 tree as the sysroot keeps the build machine's own /usr/include
# out of the search path.
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Clang does not recognise Debian's GCC folder names (".../gcc/<triple>/12-posix")
# as versions, so it finds neither libstdc++ nor libgcc by itself: the folder
# is asked of the GCC driver and named explicitly.
execute_process(COMMAND ${TOOLCHAIN_PREFIX}-gcc-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _tessel_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _tessel_gcc_result)
if(NOT _tessel_gcc_result EQUAL 0 OR NOT EXISTS "${_tessel_libgcc}")
  message(FATAL_ERROR "${TOOLCHAIN_PREFIX}-gcc-posix not found (package g++-mingw-w64): clang needs its libstdc++")
endif()
get_filename_component(_tessel_gcc_dir "${_tessel_libgcc}" DIRECTORY)
set(_tessel_cxx_include "${_tessel_gcc_dir}/include/c++")
if(NOT EXISTS "${_tessel_cxx_include}/${TOOLCHAIN_PREFIX}/bits/c++config.h")
  message(FATAL_ERROR "libstdc++ headers not found in ${_tessel_cxx_include}")
endif()
# GCC for MinGW predefines the two type_info macros below; libstdc++ is built
# with them: type_info::operator== is its own out-of-line function (an inline
# copy would be a second definition at link time) and type names compare by
# content (clang emits its own copies of some standard classes' type names;
# GNU ld's "duplicate section ... has different size" notes about them are
# GCC's alignment padding after the same string).
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${_tessel_cxx_include} -isystem ${_tessel_cxx_include}/${TOOLCHAIN_PREFIX} -isystem ${_tessel_cxx_include}/backward -D__GXX_TYPEINFO_EQUALITY_INLINE=0 -D__GXX_MERGED_TYPEINFO_NAMES=0")
# GNU ld of the MinGW binutils (--enable-stdcall-fixup, which the DLL's .def
# relies on); -pthread links winpthread inside the driver's library group,
# where the posix libgcc_eh needs it.
set(_tessel_link_flags "-fuse-ld=bfd -L${_tessel_gcc_dir} -pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_tessel_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_tessel_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_tessel_link_flags}")
