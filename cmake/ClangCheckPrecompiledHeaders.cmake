# Read after project() by the clang check presets (CMAKE_PROJECT_INCLUDE). The
# check compiles every source of the DLL and its interception library once, to
# see clang's warnings; most of each compile is the same Windows and standard
# library headers, so those are precompiled for the two targets. The product
# sources still include what they use: the GCC builds, which do not precompile,
# keep each file self-contained.
cmake_language(DEFER CALL tessel_check_precompile_headers)

function(tessel_check_precompile_headers)
  set(common <windows.h> <cstddef> <cstdint> <cstring> <cwchar> <new> <vector> <string> <memory> <algorithm>)
  if(TARGET tessel2u_objects)
    target_precompile_headers(tessel2u_objects PRIVATE ${common} <map> <cstdio>)
  endif()
  if(TARGET intercept)
    target_precompile_headers(intercept PRIVATE ${common})
  endif()
endfunction()
