# Runs the package test as an application folder would hold the library:
# the release package unpacked into a new, empty temporary folder, the host
# program and the stand-in runtime copied beside its files, the host run there
# under Wine with nothing of the build on its search path.
#
#   cmake -DZIP=<package.zip> -DHOST=<host.exe> -DRUNTIME=<dll>|<dll>|... \
#         -DEMULATOR=<scripts/wine-run> -DBUILD_DIR=<build folder> -P package_run.cmake
foreach(var ZIP HOST RUNTIME EMULATOR BUILD_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "package_run.cmake: ${var} not given")
  endif()
endforeach()
if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "no package ${ZIP}: build the target release_package")
endif()

if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(base "$ENV{TMPDIR}")
else()
  set(base "/tmp")
endif()
string(RANDOM LENGTH 10 ALPHABET abcdefghijklmnopqrstuvwxyz0123456789 tag)
set(app "${base}/tessel2u-package-${tag}")
if(EXISTS "${app}")
  message(FATAL_ERROR "${app} exists already")
endif()
file(MAKE_DIRECTORY "${app}")

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${ZIP}" WORKING_DIRECTORY "${app}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE_RECURSE "${app}")
  message(FATAL_ERROR "could not unpack ${ZIP}")
endif()
string(REPLACE "|" ";" runtime "${RUNTIME}")
file(COPY "${HOST}" ${runtime} DESTINATION "${app}")
get_filename_component(host_name "${HOST}" NAME)

# The build's Wine prefix (not a new one in the temporary folder), no other
# build of the library, no extra Windows search path.
if(NOT DEFINED ENV{TESSEL2U_WINEPREFIX})
  set(ENV{TESSEL2U_WINEPREFIX} "${BUILD_DIR}/wineprefix")
endif()
unset(ENV{TESSEL2U_DLL})
unset(ENV{WINEPATH})
execute_process(COMMAND "${EMULATOR}" "${app}/${host_name}" --gtest_color=no
                WORKING_DIRECTORY "${app}" RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${app}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${host_name} failed in the application folder (exit ${rc})")
endif()
