// Real-entry variables of the intercepted functions (Real_<function>) and
// their replacements (Hook<function>): see the interception table.
#pragma once

#include "frame/interception_table.h"
