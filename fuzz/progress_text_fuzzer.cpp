// ProgressFields on any text.
#include "fuzz_input.h"
#include "header/progress_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Utf16String> fields;
    ProgressFields(FuzzText(data, size).c_str(), &fields);
    return 0;
}
