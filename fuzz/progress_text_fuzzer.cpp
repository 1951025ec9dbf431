// ProgressFields: a progress cell text gives the fields between its braces.
#include "fuzz_input.h"
#include "header/progress_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    std::vector<Utf16String> fields;
    const bool progress = ProgressFields(text.c_str(), &fields);
    FUZZ_CHECK(progress == ProgressFields(text.c_str(), nullptr));
    if (!progress) return 0;
    const Utf16View whole(text.c_str());
    FUZZ_CHECK(whole.size() >= 11 && whole.substr(0, 9) == UTF16("progress{"));
    FUZZ_CHECK(!fields.empty());
    size_t length = fields.size() - 1;
    for (const Utf16String& field : fields) {
        length += field.size();
        FUZZ_CHECK(field.find(Utf16Char('}')) == Utf16String::npos);
    }
    FUZZ_CHECK(length <= 127);
    FUZZ_CHECK(whole.size() > 9 + length && whole[9 + length] == '}');
    return 0;
}
