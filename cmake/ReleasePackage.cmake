# The release package of this build's architecture:
# release/Tessel2U-<version>-x86.zip (32-bit) or -x64.zip (64-bit), made from
# the install rules (what build/dist holds) with the DLL stripped of its debug
# information, and the third-party notices generated for that architecture.
# scripts/package collects the two packages of the two builds.
#
# Made on Linux cross builds, where the third-party libraries come from
# scripts/build-deps and the notices from scripts/third-party-notices.
if(NOT (MINGW AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX))
  return()
endif()
if(NOT TESSEL2U_ICON_FONT OR NOT CMAKE_STRIP)
  message(WARNING "no icon font or no strip tool: the release package is not made")
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TESSEL2U_PACKAGE_ARCH x64)
  set(_deps_arch x86_64)
else()
  set(TESSEL2U_PACKAGE_ARCH x86)
  set(_deps_arch i686)
endif()
set(TESSEL2U_PACKAGE_NAME "Tessel2U-${PROJECT_VERSION}-${TESSEL2U_PACKAGE_ARCH}")
set(TESSEL2U_PACKAGE_ZIP "${CMAKE_BINARY_DIR}/release/${TESSEL2U_PACKAGE_NAME}.zip")

# Versions and licence texts of what the DLL links, for this architecture.
set(_notices "${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
add_custom_command(OUTPUT "${_notices}"
  COMMAND "${PROJECT_SOURCE_DIR}/scripts/third-party-notices" ${_deps_arch} "${_notices}"
  DEPENDS "${PROJECT_SOURCE_DIR}/scripts/third-party-notices" "${TESSEL2U_DEPS_DIR}/VERSIONS"
  COMMENT "Writing THIRD-PARTY-NOTICES.txt (${_deps_arch})"
  VERBATIM)
add_custom_target(third_party_notices ALL DEPENDS "${_notices}")
install(FILES "${_notices}" "${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)

# The files of a package, flat, as they go beside an application's exe.
set(TESSEL2U_PACKAGE_FILES Tessel2U.dll iconfont.ttf n_tessel.sru tessel.ini skin.ini README.md CHANGELOG.md
    LICENSE THIRD-PARTY-NOTICES.txt)
set(_stage "${CMAKE_BINARY_DIR}/release/${TESSEL2U_PACKAGE_NAME}")
add_custom_command(OUTPUT "${TESSEL2U_PACKAGE_ZIP}"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${_stage}" "${TESSEL2U_PACKAGE_ZIP}"
  COMMAND "${CMAKE_COMMAND}" --install "${CMAKE_BINARY_DIR}" --prefix "${_stage}"
  COMMAND "${CMAKE_STRIP}" "${_stage}/Tessel2U.dll"
  COMMAND "${CMAKE_COMMAND}" -E chdir "${_stage}"
          "${CMAKE_COMMAND}" -E tar cf "${TESSEL2U_PACKAGE_ZIP}" --format=zip -- ${TESSEL2U_PACKAGE_FILES}
  DEPENDS Tessel2U "$<TARGET_FILE:Tessel2U>" "${_notices}" "${TESSEL2U_ICON_FONT}" "${TESSEL2U_KIT_OBJECT}"
          "${PROJECT_SOURCE_DIR}/pb/tessel.ini" "${PROJECT_SOURCE_DIR}/pb/skin.ini" "${PROJECT_SOURCE_DIR}/pb/README.md"
          "${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${PROJECT_SOURCE_DIR}/LICENSE"
  COMMENT "Packing ${TESSEL2U_PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(release_package ALL DEPENDS "${TESSEL2U_PACKAGE_ZIP}")
