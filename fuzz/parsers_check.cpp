// The Linux build of the parsers gives the answers the DLL gives on a few
// fixed texts, so that a parser that reads differently outside Windows shows
// before it is fuzzed.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/file_version.h"
#include "base/system_env_entry.h"
#include "datawindow/dw_number.h"
#include "datawindow/split_string.h"
#include "header/progress_text.h"
#include "header/sort_suffix.h"
#include "skin/sys_color_line.h"
#include "text/icon_text_syntax.h"
#include "text/measuring_text.h"

int main() {
    using V = std::vector<Utf16String>;
    std::vector<Utf16String> fields;
    SysColorLine line;
    Utf16String entry;
    const Utf16View sorted = UTF16("Name SORT:d");
    const Utf16View measured = UTF16("a iconfont{1}b");
    IconTextRuns runs(UTF16("ab iconfont{61440:255} cd"), 7);
    std::vector<uint8_t> block(92, 0);  // a version block: length, value length, key, signature, 22.0.0.1878
    const char key[] = "\x5C\0\x34\0\0\0VS_VERSION_INFO";
    for (size_t i = 0; i < 6; ++i) block[i] = static_cast<uint8_t>(key[i]);
    for (size_t i = 6; i < sizeof(key); ++i) block[6 + 2 * (i - 6)] = static_cast<uint8_t>(key[i]);
    const uint8_t fixed[] = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 0, 0, 0, 0, 22, 0, 0x56, 0x07};
    std::copy(fixed, fixed + sizeof(fixed), block.begin() + 40);
    FileVersion version;
    const auto sort = [](Utf16View text) { return SortSuffix(text.data(), text.size()); };
    const auto progress = [](size_t digits) {
        return ProgressFields((UTF16("progress{") + Utf16String(digits, '1') + UTF16("}")).c_str(), nullptr);
    };
    const Utf16View unclosed = UTF16("a iconfont{1}b iconfont{2");
    const struct {
        bool ok;
        const char* what;
    } checks[] = {
        {SplitString(UTF16("a,b;;c"), UTF16(",;")) == V{UTF16("a"), UTF16("b"), UTF16(""), UTF16("c")}, "SplitString"},
        {DWNumber(UTF16(" \t-42x")) == -42 && DWNumber(UTF16("99999999999")) == 2147483647, "DWNumber"},
        {ProgressFields(UTF16("progress{45:255:0}"), &fields) && fields == V{UTF16("45"), UTF16("255"), UTF16("0")},
         "ProgressFields"},
        {SortSuffix(sorted.data(), sorted.size()) == Sort::Descending, "SortSuffix"},
        {sort(UTF16(" sort:A")) == Sort::None && sort(UTF16("x sort:a")) == Sort::Ascending, "SortSuffix ends"},
        {SplitString(UTF16("a/"), UTF16("/")) == V{UTF16("a"), UTF16("")}, "SplitString at the end"},
        {DWNumber(UTF16("- 5")) == 0 && DWNumber(UTF16("+7")) == 7 && DWNumber(UTF16("-99999999999")) == INT32_MIN,
         "DWNumber signs"},
        {!ProgressFields(UTF16("progress{}"), &fields) && !ProgressFields(UTF16("progress{45"), &fields) &&
             !ProgressFields(UTF16("Progress{45}"), &fields) && progress(127) && !progress(128),
         "ProgressFields refusals"},
        {ReadDecimal(UTF16("-99999999999")) == INT32_MIN && ReadDecimal(UTF16("x")) == 0, "ReadDecimal"},
        {IconTextRuns(UTF16("ab iconfont{61440"), 7).Segments().size() == 1, "IconTextRuns unclosed"},
        {MeasuringText(unclosed.data(), static_cast<int>(unclosed.size())) ==
             Utf16String(UTF16("a ")) + kMeasuringPlaceholder + UTF16("b iconfont{2"),
         "MeasuringText unclosed"},
        {ReadSysColorLine(UTF16("15= \r\n"), &line) && line.index == 15 && !line.hasColour &&
             !ReadSysColorLine(UTF16("15"), &line),
         "ReadSysColorLine without colour"},
        {SystemEnvEntry(UTF16("PATH"), UTF16("c:\\b"), UTF16("c:\\a;c:\\b;"), false, &entry) &&
             entry == UTF16("PATH=c:\\a;c:\\b") &&
             !SystemEnvEntry(UTF16("PATH"), UTF16("c:\\a"), UTF16("c:\\a"), false, &entry) &&
             SystemEnvEntry(UTF16("X"), UTF16("v;"), UTF16("old"), true, &entry) && entry == UTF16("X=v"),
         "SystemEnvEntry present or replaced"},
        {runs.Segments().size() == 3 && runs.Segments()[1].code == 61440 && runs.Segments()[1].colour == 255,
         "IconTextRuns"},
        {MeasuringText(measured.data(), static_cast<int>(measured.size())) ==
             Utf16String(UTF16("a ")) + kMeasuringPlaceholder + UTF16("b"),
         "MeasuringText"},
        {ReadSysColorLine(UTF16("5=255"), &line) && line.index == 5 && line.hasColour && line.colour == 255,
         "ReadSysColorLine"},
        {SystemEnvEntry(UTF16("PATH"), UTF16("c:\\b"), UTF16("c:\\a"), false, &entry) &&
             entry == UTF16("PATH=c:\\a;c:\\b"),
         "SystemEnvEntry"},
        {ReadFileVersion(block.data(), block.size(), &version) && version.major == 22 && version.revision == 1878 &&
             !ReadFileVersion(block.data(), 91, &version) &&
             (block[42] = 0xEE, !ReadFileVersion(block.data(), 92, &version)),
         "ReadFileVersion"},
    };
    int failures = 0;
    for (const auto& check : checks) {
        if (!check.ok) std::printf("parsers_check: FAILED %s\n", check.what);
        failures += check.ok ? 0 : 1;
    }
    std::printf("parsers_check: %s\n", failures ? "FAILED" : "all answers as expected");
    return failures ? 1 : 0;
}
