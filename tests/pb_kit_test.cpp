// The PowerBuilder kit in pb/ against the library: n_tessel.sru declares exactly the library's exports with their
// argument types and sends the messages meant for the application; the guide and the sample INI files list the keys
// and messages the library really reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
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

std::vector<std::string> ReadLines(const std::string& relative) {
    std::string root = TESSEL2U_SOURCE_DIR;
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // a Unix path seen through Wine
    std::ifstream in(root + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << relative;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}

using Row = std::vector<std::string>;

// The rows of the first Markdown table after the heading line; cells trimmed,
// backticks removed.
std::vector<Row> GuideTable(const std::string& heading) {
    const std::vector<std::string> lines = ReadLines("pb/README.md");
    std::vector<Row> rows;
    size_t i = 0;
    while (i < lines.size() && lines[i] != heading) ++i;
    EXPECT_LT(i, lines.size()) << "no heading: " << heading;
    while (i < lines.size() && lines[i].compare(0, 1, "|") != 0) ++i;
    for (i += 2; i < lines.size() && lines[i].compare(0, 1, "|") == 0; ++i) {
        Row row(1);
        for (size_t k = 1; k < lines[i].size(); ++k) {
            if (lines[i][k] == '|') row.push_back(std::string());
            else if (lines[i][k] != '`') row.back().push_back(lines[i][k]);
        }
        row.pop_back();
        for (std::string& cell : row) cell = Trim(cell);
        rows.push_back(row);
    }
    return rows;
}

struct IniEntry {
    std::string key, value;
    bool commented;  // ";key=": left out, its default described
};

// key=value lines of a section, and ";key=" / ";key=example" comments.
std::vector<IniEntry> Section(const std::string& file, const std::string& name) {
    std::vector<IniEntry> entries;
    bool inside = false;
    for (const std::string& raw : ReadLines(file)) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == '[') inside = line == "[" + name + "]";
        if (!inside || line[0] == '[') continue;
        const bool commented = line[0] == ';';
        const std::string body = commented ? Trim(line.substr(1)) : line;
        const size_t eq = body.find('=');
        const std::string key = Trim(body.substr(0, eq));
        if (eq == std::string::npos || key.empty() || key.find_first_of(" ,.") != std::string::npos) continue;
        entries.push_back({key, Trim(body.substr(eq + 1)), commented});
    }
    return entries;
}

// The guide lists the table's keys in order with their defaults ("system
// colour N ..." or a decimal number); the sample writes fixed defaults out and
// leaves system-colour defaults as ";key=".
template <class Owner>
void ExpectKeysListed(const IniKeyTable<Owner>& table, const std::string& heading,
                      const std::vector<std::string>& samples, const std::string& section) {
    const std::vector<Row> rows = GuideTable(heading);
    ASSERT_EQ(rows.size(), table.count) << heading;
    size_t i = 0;
    for (const IniKey<Owner>& k : table) {
        const Row& row = rows[i++];
        ASSERT_GE(row.size(), 3u);
        EXPECT_EQ(row[0], Narrow(k.key));
        const std::string sys = "system colour " + std::to_string(k.def.sysColor) + " (";
        const bool fixed = k.def.sysColor == kNoSysColor;
        EXPECT_EQ(fixed ? std::strtoul(row[1].c_str(), nullptr, 10) : row[1].compare(0, sys.size(), sys),
                  fixed ? k.def.value : 0)
            << row[1];
    }
    for (const std::string& file : samples) {
        const std::vector<IniEntry> entries = Section(file, section);
        std::vector<IniEntry> keys;
        for (const IniEntry& e : entries)
            if (!e.commented || e.value.empty()) keys.push_back(e);
        ASSERT_EQ(keys.size(), table.count) << file;
        i = 0;
        for (const IniKey<Owner>& k : table) {
            const IniEntry& e = keys[i++];
            EXPECT_EQ(e.key, Narrow(k.key)) << file;
            EXPECT_EQ(e.commented, k.def.sysColor != kNoSysColor) << file << " " << e.key;
            EXPECT_TRUE(e.commented || e.value == std::to_string(k.def.value)) << file << " " << e.key;
        }
    }
}

struct Sru {
    std::map<std::string, std::string> externals;  // Tessel2U.dll: name -> "(argument types)"
    std::map<std::string, std::string> system;     // other DLLs: name -> "library name returns (types)"
    std::map<std::string, std::string> bodies;     // function -> its script
    size_t forward = 0;
};

std::string Types(const std::string& args) {
    std::string types;
    std::regex arg(R"(\s*([^,]*\S)\s+\w+\s*(,|$))");
    for (std::sregex_iterator m(args.begin(), args.end(), arg), end; m != end; ++m)
        types += (types.empty() ? "" : ", ") + (*m)[1].str();
    return "(" + types + ")";
}

Sru ReadSru(const std::string& file) {
    Sru sru;
    const std::regex external(R"re(^FUNCTION\s+(\w+)\s+(\w+)\s*\((.*)\)\s+LIBRARY\s+"([^"]*)"\s*$)re",
                              std::regex::icase);
    const std::regex forward(R"(^public function \w+ (\w+) \((.*)\)$)");
    const std::regex bodyStart(R"(^public function \w+ (\w+) \((.*)\);.*$)");
    std::string block, current;
    for (const std::string& line : ReadLines(file)) {
        std::smatch m;
        if (line == "type prototypes" || line == "forward prototypes" || line == "end prototypes") {
            block = line;
        } else if (block == "type prototypes" && std::regex_match(line, m, external)) {
            if (m[4] == "Tessel2U.dll") {
                EXPECT_EQ(m[1].str(), "long") << line;
                EXPECT_EQ(sru.externals.count(m[2]), 0u) << "declared twice: " << line;
                sru.externals[m[2]] = Types(m[3]);
            } else {
                sru.system[m[2]] = m[4].str() + " " + m[2].str() + " " + m[1].str() + " " + Types(m[3]);
            }
        } else if (block == "forward prototypes" && std::regex_match(line, m, forward)) {
            ++sru.forward;
        } else if (block == "end prototypes" && std::regex_match(line, m, bodyStart)) {
            current = m[1];
            sru.bodies[current] = line;
        } else if (line == "end function") {
            current.clear();
        } else if (!current.empty()) {
            sru.bodies[current] += "\n" + line;
        }
    }
    return sru;
}

struct Kit {
    const char* sru;
    const char* handle;  // the PowerBuilder type of a window handle
    const char* verQueryValue;
};

const Kit kKits[] = {
    {"pb/n_tessel.sru", "ulong",
     "version.dll VerQueryValueW boolean (ref blob, readonly string, ref ulong, ref ulong)"},
    {"pb/x64/n_tessel.sru", "longptr",
     "version.dll VerQueryValueW boolean (ref blob, readonly string, ref longptr, ref ulong)"},
};

void PrintTo(const Kit& kit, std::ostream* os) { *os << kit.sru; }

class KitObject : public ::testing::TestWithParam<Kit> {};

}  // namespace

// Catches a kit declaring an export the library lacks, a wrong argument type or count, a wrapper that calls nothing,
// or a message number out of step.
TEST_P(KitObject, DeclaresTheExportsAndSendsTheHostMessages) {
    const std::string h = GetParam().handle;
    const std::string packed =
        "StartTessel();StopTessel();AttachDatawindow(H, readonly string);DettachDatawindow(H);"
        "ReplaceSysColor(long, long);SetSkinFile(readonly string);"
        "AddDatawindowTitle(H, readonly string, readonly string, long, long);"
        "ModifyDatawindowTitle(H, long, readonly string, readonly string, long);"
        "SetSpanTitle(H, readonly string, readonly string, readonly string, long, long);"
        "SetIconfont(readonly string, long);PrintDebugString(readonly string);SetDebugWindowColor(long);"
        "OpenDebugWindow();CloseDebugWindow();DWAbout();GetAddColumnSyntax(H, long, long, long, long);"
        "AddSystemEnv(readonly string, readonly string, long);SetInfoLabel(readonly string, readonly string);";
    std::map<std::string, std::string> exports;
    for (size_t at = 0, end; (end = packed.find(';', at)) != std::string::npos; at = end + 1) {
        std::string e = std::regex_replace(packed.substr(at, end - at), std::regex(R"(\bH\b)"), h);
        exports[e.substr(0, e.find('('))] = e.substr(e.find('('));
    }
    TesselDll dll;
    Sru sru = ReadSru(GetParam().sru);
    EXPECT_EQ(sru.externals, exports);
    std::set<std::string> names;
    for (const auto& e : sru.externals) names.insert(e.first);
    EXPECT_EQ(ExportNames(dll.h), names);
    EXPECT_EQ(sru.bodies.size(), sru.forward);
    for (const auto& e : exports) {
        if (e.first == "GetAddColumnSyntax") continue;  // inert: no wrapper
        bool called = false;
        for (const auto& body : sru.bodies) called = called || body.second.find(e.first + "(") != std::string::npos;
        EXPECT_TRUE(called) << "no wrapper calls " << e.first;
    }
    std::set<UINT> sent;
    const std::regex send(R"(Send\(Handle\(adw\), (\d+), 0, \w+\))");
    for (const auto& body : sru.bodies)
        for (std::sregex_iterator m(body.second.begin(), body.second.end(), send), end; m != end; ++m)
            sent.insert(static_cast<UINT>(std::stoul((*m)[1])));
    std::set<UINT> hostMessages;
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        if (kPrivateMessages[i].sender == MessageSender::Host) hostMessages.insert(kPrivateMessages[i].number);
    EXPECT_EQ(sent, hostMessages);
    EXPECT_NE(sru.bodies["of_set_sidebar"].find(", " + std::to_string(WM_DW_SIDEBAR) + ","), std::string::npos);

    // of_version: the release from the file version of the library built here.
    EXPECT_EQ(sru.system.at("VerQueryValueW"), GetParam().verQueryValue);
    EXPECT_EQ(sru.system.at("GetFileVersionInfoSizeW"),
              "version.dll GetFileVersionInfoSizeW ulong (readonly string, ref ulong)");
    const std::string body = sru.bodies["of_version"];
    std::smatch m;
    ASSERT_TRUE(std::regex_search(body, m, std::regex(R"re(VerQueryValueW\(\w+, "([^"]+)", (\w+),)re"))) << body;
    EXPECT_EQ(m[1].str(), "\\StringFileInfo\\040904B0\\FileVersion");
    EXPECT_NE(body.find("GetFileVersionInfoSizeW(\"Tessel2U.dll\""), std::string::npos) << body;
    EXPECT_NE(body.find("return String(" + m[2].str() + ", \"address\")"), std::string::npos) << body;
}

INSTANTIATE_TEST_SUITE_P(Kits, KitObject, ::testing::ValuesIn(kKits),
                         [](const ::testing::TestParamInfo<Kit>& info) { return info.index ? "x64" : "x86"; });

// The guide's and samples' key lists against the tables the library reads.
TEST(KitKeys, GuideAndSamplesListTheKeysTheLibraryReads) {
    ExpectKeysListed(kDataWindowKeys, "### Settings keys: section \"datawindow\"", {"pb/tessel.ini"}, "datawindow");
    ExpectKeysListed(kScrollBarKeys, "### Skin keys: section \"ScrollBar\"", {"pb/tessel.ini", "pb/skin.ini"},
                     "ScrollBar");
    // Label keys: in the library's order with its default caption; each in
    // the sample once, as a commented English example only.
    const std::vector<Row> rows = GuideTable("### Label keys: section \"datawindow\"");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kInfoLabelCount));
    std::map<std::string, int> examples;
    for (const IniEntry& e : Section("pb/tessel.ini", "datawindow")) {
        if (e.commented && !e.value.empty()) ++examples[e.key];
        for (char c : e.value) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << e.key;
    }
    for (int i = 0; i < kInfoLabelCount; ++i) {
        const std::string key = Narrow(kInfoLabelKeys[i].key);
        ASSERT_GE(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][0], key);
        const std::wstring def = kInfoLabelKeys[i].defaultText;
        std::string utf8(def.size() * 3 + 1, '\0');
        utf8.resize(WideCharToMultiByte(CP_UTF8, 0, def.c_str(), -1, &utf8[0], static_cast<int>(utf8.size()), nullptr,
                                        nullptr) -
                    1);
        EXPECT_EQ(rows[i][1], utf8) << key;
        EXPECT_EQ(examples[key], 1) << key;
    }
}

// The guide's message table: every private message of the library with its number and sender.
TEST(KitMessages, GuideListsTheMessagesOfTheLibrary) {
    const std::vector<Row> rows = GuideTable("## Private messages");
    ASSERT_EQ(rows.size(), kPrivateMessageCount);
    for (size_t i = 0; i < kPrivateMessageCount; ++i) {
        const PrivateMessage& msg = kPrivateMessages[i];
        ASSERT_GE(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][0], msg.name);
        EXPECT_EQ(rows[i][1], std::to_string(msg.number)) << msg.name;
        EXPECT_EQ(rows[i][2], msg.sender == MessageSender::Host      ? "host"
                              : msg.sender == MessageSender::Library ? "library"
                                                                     : "runtime")
            << msg.name;
    }
}
