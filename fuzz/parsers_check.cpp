// The Linux build of the parsers gives the answers the DLL gives on a few
// fixed texts, so that a parser that no longer builds or reads the same way
// outside Windows shows before it is fuzzed.
#include <cstdio>
#include <vector>

#include "datawindow/dw_number.h"
#include "datawindow/split_string.h"
#include "base/file_version.h"
#include "base/system_env_entry.h"
#include "header/progress_text.h"
#include "header/sort_suffix.h"
#include "skin/sys_color_line.h"
#include "text/icon_text_syntax.h"
#include "text/measuring_text.h"

namespace {

int g_failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("parsers_check: FAILED %s\n", what);
        ++g_failures;
    }
}

#define CHECK(condition) Check((condition), #condition)

}  // namespace

int main() {
    using V = std::vector<Utf16String>;
    CHECK((SplitString(UTF16("a,b;;c"), UTF16(",;")) == V{UTF16("a"), UTF16("b"), UTF16(""), UTF16("c")}));
    CHECK((SplitString(UTF16("a/"), UTF16("/")) == V{UTF16("a"), UTF16("")}));
    CHECK((SplitString(UTF16(""), UTF16("/")) == V{UTF16("")}));

    const struct {
        const char* text;
        int expected;
    } numbers[] = {{" \t-42x", -42},
                   {"!", 0},
                   {"+7", 7},
                   {"12.9", 12},
                   {"- 5", 0},
                   {"\r\n 0031", 31},
                   {"2147483647", 2147483647},
                   {"99999999999", 2147483647},
                   {"-99999999999", -2147483647 - 1}};
    for (const auto& n : numbers) {
        Utf16String text;
        for (const char* c = n.text; *c; ++c) text.push_back(static_cast<Utf16Char>(*c));
        if (DWNumber(text) != n.expected) {
            std::printf("parsers_check: FAILED DWNumber(\"%s\") == %d\n", n.text, DWNumber(text));
            ++g_failures;
        }
    }
    CHECK(DWNumber(static_cast<const Utf16Char*>(nullptr)) == 0);

    std::vector<Utf16String> fields;
    CHECK(ProgressFields(UTF16("progress{45:255:0}"), &fields));
    CHECK((fields == V{UTF16("45"), UTF16("255"), UTF16("0")}));
    CHECK(ProgressFields(UTF16("progress{7}"), &fields) && fields == V{UTF16("7")});
    CHECK(!ProgressFields(UTF16("progress{}"), &fields));
    CHECK(!ProgressFields(UTF16("progress{45"), &fields));
    CHECK(!ProgressFields(UTF16("Progress{45}"), &fields));
    CHECK(ProgressFields((UTF16("progress{") + Utf16String(127, '1') + UTF16("}")).c_str(), nullptr));
    CHECK(!ProgressFields((UTF16("progress{") + Utf16String(128, '1') + UTF16("}")).c_str(), nullptr));

    const Utf16View name = UTF16("Name sort:A");
    CHECK(SortSuffix(name.data(), name.size()) == Sort::Ascending);
    const Utf16View lower = UTF16("Name SORT:d");
    CHECK(SortSuffix(lower.data(), lower.size()) == Sort::Descending);
    const Utf16View other = UTF16("Name sort:X");
    CHECK(SortSuffix(other.data(), other.size()) == Sort::None);
    const Utf16View bare = UTF16(" sort:A");
    CHECK(SortSuffix(bare.data(), bare.size()) == Sort::None);
    const Utf16View eight = UTF16("x sort:a");
    CHECK(SortSuffix(eight.data(), eight.size()) == Sort::Ascending);

    CHECK(ReadDecimal(UTF16("  61440:255")) == 61440);
    CHECK(ReadDecimal(UTF16("-12")) == -12);
    CHECK(ReadDecimal(UTF16("x")) == 0);
    CHECK(ReadDecimal(UTF16("99999999999")) == 2147483647L);
    CHECK(ReadDecimal(UTF16("-99999999999")) == -2147483647L - 1);

    const Utf16View icons = UTF16("ab iconfont{61440:255} cd iconfont{61441}");
    CHECK(HasIconMarker(icons.data(), icons.size()));
    CHECK(!HasIconMarker(icons.data(), 8));
    IconTextRuns runs(icons, 7);
    const std::vector<IconTextSegment>& s = runs.Segments();
    CHECK(s.size() == 5);
    if (s.size() == 5) {
        CHECK(Utf16View(s[0].text) == UTF16("ab "));
        CHECK(s[1].kind == IconTextSegment::kIcon && s[1].code == 61440 && s[1].colour == 255);
        CHECK(Utf16View(s[2].text) == UTF16(" cd "));
        CHECK(s[3].code == 61441 && s[3].colour == 7);
        CHECK(Utf16View(s[4].text) == UTF16(""));
    }
    IconTextRuns open(UTF16("ab iconfont{61440"), 7);
    CHECK(open.Segments().size() == 1 && Utf16View(open.Segments()[0].text) == UTF16("ab iconfont{61440"));

    const Utf16View measured = UTF16("a iconfont{1}b iconfont{2");
    CHECK(MeasuringText(measured.data(), static_cast<int>(measured.size())) ==
          Utf16String(UTF16("a ")) + kMeasuringPlaceholder + UTF16("b iconfont{2"));
    CHECK(MeasuringText(measured.data(), 3) == UTF16("a i"));

    SysColorLine line;
    CHECK(ReadSysColorLine(UTF16("5=255"), &line) && line.index == 5 && line.hasColour && line.colour == 255);
    CHECK(ReadSysColorLine(UTF16("15= \r\n"), &line) && line.index == 15 && !line.hasColour);
    CHECK(!ReadSysColorLine(UTF16("15"), &line));

    Utf16String entry;
    CHECK(SystemEnvEntry(UTF16("PATH"), UTF16("c:\\b"), UTF16("c:\\a"), false, &entry) &&
          entry == UTF16("PATH=c:\\a;c:\\b"));
    CHECK(SystemEnvEntry(UTF16("PATH"), UTF16("c:\\b"), UTF16("c:\\a;c:\\b;"), false, &entry) &&
          entry == UTF16("PATH=c:\\a;c:\\b"));
    CHECK(SystemEnvEntry(UTF16("PATH"), UTF16("c:\\a"), UTF16("c:\\a;c:\\b"), false, &entry) &&
          entry == UTF16("PATH=c:\\a;c:\\b;c:\\a"));
    CHECK(!SystemEnvEntry(UTF16("PATH"), UTF16("c:\\a"), UTF16("c:\\a"), false, &entry));
    CHECK(SystemEnvEntry(UTF16("X"), UTF16("v;"), UTF16("old"), true, &entry) && entry == UTF16("X=v"));
    CHECK(SystemEnvEntry(UTF16("X"), UTF16("v"), nullptr, false, &entry) && entry == UTF16("X=v"));

    // A version block as the resource compiler writes it: the root key, its
    // padding, then the fixed part (22.0.0.1878).
    std::vector<uint8_t> block(92, 0);
    auto put16 = [&block](size_t at, unsigned v) {
        block[at] = static_cast<uint8_t>(v);
        block[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, 92);
    put16(2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof(key); ++i) put16(6 + 2 * i, static_cast<uint8_t>(key[i]));
    put16(40, 0x04BD);
    put16(42, 0xFEEF);
    put16(48, 0);   // minor
    put16(50, 22);  // major
    put16(52, 1878);
    FileVersion version;
    CHECK(ReadFileVersion(block.data(), block.size(), &version) && version.major == 22 && version.minor == 0 &&
          version.revision == 1878 && version.build == 0 && GenerationOfVersion(version) == 220);
    CHECK(!ReadFileVersion(block.data(), 91, &version));  // shorter than it says
    block[8] = 'X';
    CHECK(!ReadFileVersion(block.data(), block.size(), &version));  // another key
    block[8] = 'S';
    put16(2, 40);
    CHECK(!ReadFileVersion(block.data(), block.size(), &version));  // value too short
    put16(2, 52);
    put16(42, 0xFEEE);
    CHECK(!ReadFileVersion(block.data(), block.size(), &version));  // no signature
    CHECK(GenerationOfVersion(FileVersion{19, 2, 0, 0}) == 192 && GenerationOfVersion(FileVersion{25, 0, 0, 0}) == 250);

    std::printf("parsers_check: %s\n", g_failures ? "FAILED" : "all answers as expected");
    return g_failures ? 1 : 0;
}
