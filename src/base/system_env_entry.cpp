#include "base/system_env_entry.h"

bool SystemEnvEntry(const Utf16Char* name, const Utf16Char* value, const Utf16Char* current, bool replace,
                    Utf16String* entry) {
    if (replace || !current || !*current) {
        *entry = Utf16String(name) + UTF16("=") + value;
    } else {
        if (Utf16View(current) == Utf16View(value)) return false;
        *entry = Utf16String(name) + UTF16("=") + current;
        if (entry->back() != ';') *entry += ';';
        // The element is searched with a ";" on both sides, so a value that
        // stands first in the list is not recognised and is appended again.
        const Utf16String probe = Utf16String(UTF16(";")) + value + UTF16(";");
        if (entry->find(probe) == Utf16String::npos) *entry += value;
    }
    if (!entry->empty() && entry->back() == ';') entry->pop_back();
    return true;
}
