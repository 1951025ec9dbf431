// The PowerBuilder kit in pb/ against the library: n_tessel.sru declares exactly the library's exports with their
// argument types and sends the messages meant for the application; the guide and the sample INI files list the keys
// and messages the library really reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "datawindow/info_label_keys.h"
#include "datawindow/settings_keys.h"
#include "export_names.h"
#include "base/private_messages.h"
#include "skin/scroll_bar_keys.h"
#include "tessel_dll.h"

namespace {

using Lines = std::vector<std::string>;

Lines ReadLines(const std::string& relative) {
    const std::string root = TESSEL2U_SOURCE_DIR;  // a Unix path seen through Wine on drive Z:
    std::ifstream in((root[0] == '/' ? "Z:" : "") + root + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << relative;
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
}

std::string Utf8(const std::wstring& s) {
    char out[256];
    return std::string(out, WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out, sizeof out, nullptr, nullptr) - 1);
}

// The rows of the first Markdown table after the heading line, each its first `count` cells joined by " | ": trimmed,
// without backticks, an explanation in parentheses cut off ("16777215 (0xFFFFFF)" is "16777215").
Lines GuideTable(const std::string& heading, size_t count) {
    const Lines lines = ReadLines("pb/README.md");
    size_t i = 0;
    while (i < lines.size() && lines[i] != heading) ++i;
    while (i < lines.size() && lines[i][0] != '|') ++i;
    const std::regex cell(R"(\s*([^|]*?)\s*\|)");
    Lines rows;
    for (i += 2; i < lines.size() && lines[i][0] == '|'; ++i) {
        const std::string text = std::regex_replace(lines[i].substr(1), std::regex(R"(`| \([^|]*)"), "");
        std::string row;
        std::sregex_iterator c(text.begin(), text.end(), cell);
        for (size_t n = 0; n < count && c != std::sregex_iterator(); ++n, ++c) row += (n ? " | " : "") + (*c)[1].str();
        rows.push_back(row);
    }
    return rows;
}

// The key lines of a section of a sample INI file: "key=value" and ";key=" (left out, its default described), or the
// commented examples ";key=example".
Lines Section(const std::string& file, const std::string& name, bool examples = false) {
    Lines entries;
    bool inside = false;
    const std::regex entry(R"(^\s*(;?)\s*(\w+)\s*=\s*(.*?)\s*$)");
    for (const std::string& line : ReadLines(file)) {
        std::smatch m;
        if (line[0] == '[') inside = line.rfind("[" + name + "]", 0) == 0;
        else if (inside && std::regex_match(line, m, entry) && examples == (m[1].length() && m[3].length()))
            entries.push_back(m[1].str() + m[2].str() + "=" + m[3].str());
    }
    return entries;
}

// The guide lists the table's keys in order with their defaults; the samples write fixed defaults out and leave
// system-colour defaults as ";key=".
template <class Owner>
void ExpectKeysListed(const IniKeyTable<Owner>& table, const char* heading, const Lines& samples, const char* section) {
    Lines guide, sample;
    for (const IniKey<Owner>& k : table) {
        const bool fixed = k.def.sysColor == kNoSysColor;
        const std::string key = Utf8(k.key), value = std::to_string(k.def.value);
        guide.push_back(key + " | " + (fixed ? value : "system colour " + std::to_string(k.def.sysColor)));
        sample.push_back((fixed ? "" : ";") + key + "=" + (fixed ? value : ""));
    }
    EXPECT_EQ(guide, GuideTable(heading, 2));
    for (const std::string& file : samples) EXPECT_EQ(sample, Section(file, section)) << file;
}

struct Sru {
    std::map<std::string, std::string> externals;  // name -> "library returns (argument types)"
    std::set<std::string> forward, defined;        // the functions declared ahead, and those defined
    std::string scripts;                           // the functions, one after the other
};

Sru ReadSru(const std::string& file) {
    Sru sru;
    const std::regex external(R"re(^FUNCTION\s+(\w+)\s+(\w+)\s*\((.*)\)\s+LIBRARY\s+"([^"]*)"\s*$)re");
    const std::regex argumentName(R"(\s+\w+\s*(,|$))");  // "ulong hwnd, long n" is "ulong, long"
    const std::regex function(R"(^public function \w+ (\w+) \(.*$)");
    std::string block;
    for (const std::string& line : ReadLines(file)) {
        std::smatch m;
        if (line == "type prototypes" || line == "forward prototypes" || line == "end prototypes") block = line;
        else if (block == "forward prototypes" && std::regex_match(line, m, function)) sru.forward.insert(m[1]);
        else if (block == "end prototypes") sru.scripts += line + "\n";
        if (block == "end prototypes" && std::regex_match(line, m, function)) sru.defined.insert(m[1]);
        if (block == "type prototypes" && std::regex_match(line, m, external)) {
            const std::string types = std::regex_replace(m[3].str(), argumentName, "$1");
            EXPECT_TRUE(sru.externals.emplace(m[2], m[4].str() + " " + m[1].str() + " (" + types + ")").second)
                << "declared twice: " << line;
        }
    }
    return sru;
}

struct Kit {
    const char *sru, *handle;  // the object's file; the PowerBuilder type of a window handle and of an address
};

const Kit kKits[] = {{"pb/n_tessel.sru", "ulong"}, {"pb/x64/n_tessel.sru", "longptr"}};

class KitObject : public ::testing::TestWithParam<Kit> {};

}  // namespace

// Catches a kit declaring an export the library lacks, a wrong argument type or count, a wrapper that calls nothing or
// is not declared ahead, a message number out of step, or an of_version that cannot read the release of the library.
TEST_P(KitObject, DeclaresTheExportsAndSendsTheHostMessages) {
    // The externals: Tessel2U.dll's, each returning a long, and three of version.dll; H the type of a handle.
    std::string packed =
        "StartTessel();StopTessel();AttachDatawindow(H, readonly string);DettachDatawindow(H);DWAbout();"
        "SetSkinFile(readonly string);ReplaceSysColor(long, long);SetIconfont(readonly string, long);"
        "AddDatawindowTitle(H, readonly string, readonly string, long, long);SetDebugWindowColor(long);"
        "ModifyDatawindowTitle(H, long, readonly string, readonly string, long);PrintDebugString(readonly string);"
        "SetSpanTitle(H, readonly string, readonly string, readonly string, long, long);OpenDebugWindow();"
        "GetAddColumnSyntax(H, long, long, long, long);AddSystemEnv(readonly string, readonly string, long);"
        "SetInfoLabel(readonly string, readonly string);CloseDebugWindow();"
        "version.dll ulong GetFileVersionInfoSizeW(readonly string, ref ulong);"
        "version.dll boolean GetFileVersionInfoW(readonly string, ulong, ulong, ref blob);"
        "version.dll boolean VerQueryValueW(ref blob, readonly string, ref H, ref ulong);";
    packed = std::regex_replace(packed, std::regex(R"(\bH\b)"), GetParam().handle);
    std::map<std::string, std::string> declared;
    std::set<std::string> exports;
    const std::regex external(R"((\w+\.dll \w+ )?(\w+)(\([^)]*\));)");
    for (std::sregex_iterator e(packed.begin(), packed.end(), external), end; e != end; ++e) {
        if (!(*e)[1].matched) exports.insert((*e)[2]);
        declared[(*e)[2]] = ((*e)[1].matched ? (*e)[1].str() : "Tessel2U.dll long ") + (*e)[3].str();
    }
    const Sru sru = ReadSru(GetParam().sru);
    EXPECT_EQ(declared, sru.externals);
    EXPECT_EQ(ExportNames(TesselDll().h), exports);
    EXPECT_EQ(sru.forward, sru.defined);
    for (const std::string& e : exports)  // GetAddColumnSyntax is inert: no wrapper calls it
        EXPECT_TRUE(e == "GetAddColumnSyntax" || sru.scripts.find(e + "(") != std::string::npos) << e;
    std::set<UINT> sent, hostMessages;
    const std::regex send(R"(Send\(Handle\(adw\), (\d+), 0, \w+\))");
    for (std::sregex_iterator m(sru.scripts.begin(), sru.scripts.end(), send), end; m != end; ++m)
        sent.insert(std::stoul((*m)[1]));
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        if (kPrivateMessages[i].sender == MessageSender::Host) hostMessages.insert(kPrivateMessages[i].number);
    EXPECT_EQ(sent, hostMessages);
    // of_version: the release from the file version's string of the one string table.
    const size_t at = sru.scripts.find(" of_version (");
    const std::string version = sru.scripts.substr(at, sru.scripts.find("end function", at) - at);
    EXPECT_TRUE(
        std::regex_search(version, std::regex(R"re(GetFileVersionInfoSizeW\("Tessel2U\.dll",[\s\S]*)re"
                                              R"re(VerQueryValueW\(\w+, "\\StringFileInfo\\040904B0\\)re"
                                              R"re(FileVersion", (\w+),[\s\S]*return String\(\1, "address"\))re")))
        << version;
}

INSTANTIATE_TEST_SUITE_P(Kits, KitObject, ::testing::ValuesIn(kKits),
                         [](const ::testing::TestParamInfo<Kit>& info) { return info.index ? "x64" : "x86"; });

// The guide's and samples' key lists against the tables the library reads; the label keys with the library's
// default captions, each in the sample once as the guide's commented English example; the guide's message table:
// every private message of the library with its number and sender.
TEST(KitGuide, GuideAndSamplesListTheKeysAndMessagesOfTheLibrary) {
    ExpectKeysListed(kDataWindowKeys, "### Settings keys: section \"datawindow\"", {"pb/tessel.ini"}, "datawindow");
    ExpectKeysListed(kScrollBarKeys, "### Skin keys: section \"ScrollBar\"", {"pb/skin.ini", "pb/tessel.ini"},
                     "ScrollBar");
    const std::string labelKeys = "### Label keys: section \"datawindow\"";
    Lines labels, examples, messages;
    for (const InfoLabelKey& k : kInfoLabelKeys) labels.push_back(Utf8(k.key) + " | " + Utf8(k.defaultText));
    for (const std::string& row : GuideTable(labelKeys, 3))
        examples.push_back(";" + row.substr(0, row.find(" | ")) + "=" + row.substr(row.rfind(" | ") + 3));
    EXPECT_EQ(labels, GuideTable(labelKeys, 2));
    EXPECT_EQ(examples, Section("pb/tessel.ini", "datawindow", true));
    const char* const senders[] = {"library", "host", "runtime"};
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        messages.push_back(std::string(kPrivateMessages[i].name) + " | " + std::to_string(kPrivateMessages[i].number) +
                           " | " + senders[static_cast<int>(kPrivateMessages[i].sender)]);
    EXPECT_EQ(messages, GuideTable("## Private messages", 3));
}
