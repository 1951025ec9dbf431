// A number from the test run's environment (seeds, step and cycle counts, the
// runtime generation), or the fallback when the variable is unset or empty.
#pragma once

#include <cstdlib>

inline unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}
