#include "header/progress_text.h"

#include "datawindow/split_string.h"

namespace {

constexpr Utf16View kProgress = UTF16("progress{");
// A value longer than a cell text holds is no progress value.
constexpr size_t kMaxProgressValue = 127;

}  // namespace

bool ProgressFields(const Utf16Char* text, std::vector<Utf16String>* fields) {
    if (!text) return false;
    const Utf16View whole(text, Utf16Length(text));
    if (whole.size() < 11 || whole.substr(0, kProgress.size()) != kProgress) return false;
    const size_t close = whole.find(Utf16Char('}'), kProgress.size());
    if (close == Utf16View::npos || close - kProgress.size() > kMaxProgressValue) return false;
    if (fields)
        *fields = SplitString(Utf16String(whole.substr(kProgress.size(), close - kProgress.size())), UTF16(":"));
    return true;
}
