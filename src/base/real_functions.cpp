#include "base/real_functions.h"

// Imported functions start at their imported address, found ones at null.
#define TESSEL_DEFINE_IMPORTED(row, removal, name, module) decltype(&::name) Real_##name = &::name;
#define TESSEL_DEFINE_FOUND(row, removal, name, where, type) type Real_##name = nullptr;
TESSEL_INTERCEPTIONS(TESSEL_DEFINE_IMPORTED, TESSEL_DEFINE_FOUND)
#undef TESSEL_DEFINE_IMPORTED
#undef TESSEL_DEFINE_FOUND
