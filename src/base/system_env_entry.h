// The environment entry AddSystemEnv sets: "name=value", or the variable's
// ";"-separated list with the value appended.
#pragma once

#include "base/utf16_text.h"

// The entry for adding value to the variable name whose current value is
// current (null when unset), or replacing it. False when nothing is to be
// set: the value already is the variable's whole value. A trailing ";" is
// dropped from the entry.
bool SystemEnvEntry(const Utf16Char* name, const Utf16Char* value, const Utf16Char* current, bool replace,
                    Utf16String* entry);
