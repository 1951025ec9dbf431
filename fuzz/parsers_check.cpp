// The Linux build of the parsers gives the answers the DLL gives on a few
// fixed texts, so that a parser that reads differently outside Windows shows
// before it is fuzzed.
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
    const struct {
        bool ok;
        const char* what;
    } checks[] = {
        {SplitString(UTF16("a,b;;c"), UTF16(",;")) == V{UTF16("a"), UTF16("b"), UTF16(""), UTF16("c")}, "SplitString"},
        {DWNumber(UTF16(" \t-42x")) == -42 && DWNumber(UTF16("99999999999")) == 2147483647, "DWNumber"},
        {ProgressFields(UTF16("progress{45:255:0}"), &fields) && fields == V{UTF16("45"), UTF16("255"), UTF16("0")},
         "ProgressFields"},
        {SortSuffix(sorted.data(), sorted.size()) == Sort::Descending, "SortSuffix"},
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
             !ReadFileVersion(block.data(), 91, &version),
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
