# Imported targets for the third-party libraries built by scripts/build-deps
# (MinGW) or installed by vcpkg (MSVC). TESSEL2U_DEPS_DIR is the install prefix.
if(NOT TESSEL2U_DEPS_DIR)
  if(DEFINED ENV{TESSEL2U_DEPS_DIR})
    set(TESSEL2U_DEPS_DIR $ENV{TESSEL2U_DEPS_DIR})
  elseif(DEFINED ENV{HOME})
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(TESSEL2U_DEPS_DIR "$ENV{HOME}/.cache/tessel2u/deps/current-x86_64")
    else()
      set(TESSEL2U_DEPS_DIR "$ENV{HOME}/.cache/tessel2u/deps/current-i686")
    endif()
  endif()
endif()
set(TESSEL2U_DEPS_DIR "${TESSEL2U_DEPS_DIR}" CACHE PATH "Prefix of the static third-party libraries")
if(NOT EXISTS "${TESSEL2U_DEPS_DIR}/include")
  message(FATAL_ERROR "Third-party libraries not found in '${TESSEL2U_DEPS_DIR}'; run scripts/setup first")
endif()

function(tessel_import name libfile)
  find_library(TESSEL_${name}_LIB NAMES ${libfile} PATHS "${TESSEL2U_DEPS_DIR}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TESSEL_${name}_LIB)
    message(FATAL_ERROR "lib${libfile} not found in ${TESSEL2U_DEPS_DIR}/lib")
  endif()
  add_library(deps::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(deps::${name} PROPERTIES
    IMPORTED_LOCATION "${TESSEL_${name}_LIB}"
    INTERFACE_INCLUDE_DIRECTORIES "${TESSEL2U_DEPS_DIR}/include")
endfunction()

tessel_import(capstone capstone)
tessel_import(pixman pixman-1)
tessel_import(png png16)
tessel_import(freetype freetype)
tessel_import(cairo cairo)

# pixman marks its functions for export (-export directives in each object's
# .drectve section); linked into the library they would become exports of
# Tessel2U.dll. A copy without those directives is linked instead.
if(MINGW)
  if(NOT CMAKE_OBJCOPY)
    string(REGEX REPLACE "gcc(\\.exe)?$" "objcopy\\1" CMAKE_OBJCOPY "${CMAKE_C_COMPILER}")
  endif()
  set(_pixman_plain "${CMAKE_BINARY_DIR}/deps/libpixman-1.a")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/deps")
  execute_process(COMMAND "${CMAKE_OBJCOPY}" --remove-section=.drectve "${TESSEL_pixman_LIB}" "${_pixman_plain}"
                  RESULT_VARIABLE _pixman_result)
  if(NOT _pixman_result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_OBJCOPY} could not copy ${TESSEL_pixman_LIB}")
  endif()
  set_target_properties(deps::pixman PROPERTIES IMPORTED_LOCATION "${_pixman_plain}")
endif()

if(MINGW)
  find_library(TESSEL_zlib_LIB NAMES libz.a z)
  add_library(deps::zlib STATIC IMPORTED GLOBAL)
  set_target_properties(deps::zlib PROPERTIES IMPORTED_LOCATION "${TESSEL_zlib_LIB}")
  set(_ssp ssp)
else()
  find_package(ZLIB REQUIRED)
  add_library(deps::zlib ALIAS ZLIB::ZLIB)
  set(_ssp)
endif()

set_property(TARGET deps::png APPEND PROPERTY INTERFACE_LINK_LIBRARIES deps::zlib)
set_property(TARGET deps::cairo APPEND PROPERTY INTERFACE_LINK_LIBRARIES deps::pixman deps::png ${_ssp} msimg32 gdi32 user32)
set_property(TARGET deps::cairo APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${TESSEL2U_DEPS_DIR}/include/cairo")
set_property(TARGET deps::cairo APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS CAIRO_WIN32_STATIC_BUILD)
set_property(TARGET deps::freetype APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${TESSEL2U_DEPS_DIR}/include/freetype2")
