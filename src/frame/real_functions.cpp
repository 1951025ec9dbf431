#include "frame/real_functions.h"

#define TESSEL_DEFINE_REAL(name) decltype(&::name) Real_##name = &::name;
TESSEL_OS_FUNCTIONS(TESSEL_DEFINE_REAL)
#undef TESSEL_DEFINE_REAL
