// Real-entry variables of the intercepted functions (Real_<function>) and
// their replacements (Hook<function>): see the interception table.
#pragma once

#include "base/interception_table.h"
