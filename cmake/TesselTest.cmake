# GoogleTest, built from the system's sources with the product's compiler, and a
# helper that registers one test executable with CTest. Under a cross build the
# executables run through CMAKE_CROSSCOMPILING_EMULATOR (scripts/wine-run).
set(TESSEL2U_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${TESSEL2U_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

# The main of every test program: a skipped case fails the run unless
# tests/expected_skips.txt lists it.
add_library(tessel_gtest_main STATIC "${PROJECT_SOURCE_DIR}/tests/support/gtest_skip_main.cpp")
target_link_libraries(tessel_gtest_main PUBLIC GTest::gtest)
target_compile_definitions(tessel_gtest_main
  PRIVATE TESSEL2U_EXPECTED_SKIPS="${PROJECT_SOURCE_DIR}/tests/expected_skips.txt")

# tessel_add_gtest(NAME <name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [DEPENDS <targets...>] [NO_TEST])
# NO_TEST builds the executable only; the caller registers its own tests.
# Builds <name>.exe into the common output folder (next to the DLLs it loads)
# and registers it as one CTest test.
function(tessel_add_gtest)
  cmake_parse_arguments(T "NO_TEST" "NAME;TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE tessel_gtest_main ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support" "${PROJECT_SOURCE_DIR}/pbsim/include")
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  if(T_NO_TEST)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no
           WORKING_DIRECTORY "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  tessel_gtest_properties(${T_NAME} ${T_TIMEOUT})
endfunction()

# tessel_gtest_properties(<test> <timeout>)
# A GoogleTest run passes only when it reaches its closing summary without a
# failure: a program that dies on the way (a crash, a stack overflow) may
# leave Wine with exit code 0, so the exit code alone proves nothing.
function(tessel_gtest_properties test timeout)
  set_tests_properties(${test} PROPERTIES TIMEOUT ${timeout}
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()
