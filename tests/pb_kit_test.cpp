// The PowerBuilder kit in pb/ against the library itself: the guide's tables
// of settings keys, skin keys and private messages, the sample INI files, and
// the external functions that n_tessel.sru declares.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "datawindow/info_label_keys.h"
#include "datawindow/settings_keys.h"
#include "base/private_messages.h"
#include "skin/scroll_bar_keys.h"

namespace {

// ---------------------------------------------------------------- files

std::string SourcePath(const std::string& relative) {
    std::string root = TESSEL2U_SOURCE_DIR;
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // a Unix path seen through Wine
    return root + "/" + relative;
}

std::vector<std::string> ReadLines(const std::string& relative) {
    std::ifstream in(SourcePath(relative), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << relative;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}

bool IsIdentifier(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

bool IsDecimal(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// ---------------------------------------------------------------- the guide

using Row = std::vector<std::string>;

// The rows (without header and separator) of the first Markdown table after
// the line that equals the heading; cells trimmed, backticks removed.
std::vector<Row> GuideTable(const std::vector<std::string>& lines, const std::string& heading) {
    std::vector<Row> rows;
    size_t i = 0;
    while (i < lines.size() && lines[i] != heading) ++i;
    EXPECT_LT(i, lines.size()) << "no heading: " << heading;
    while (i < lines.size() && lines[i].compare(0, 1, "|") != 0) ++i;
    for (i += 2; i < lines.size() && lines[i].compare(0, 1, "|") == 0; ++i) {
        Row row;
        std::string cell;
        for (size_t k = 1; k < lines[i].size(); ++k) {
            const char c = lines[i][k];
            if (c == '|') {
                row.push_back(Trim(cell));
                cell.clear();
            } else if (c != '`') {
                cell.push_back(c);
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// A default as the guide writes it: "system colour N (...)", or a decimal
// number optionally followed by its hexadecimal form in parentheses.
IniDefault GuideDefault(const std::string& cell) {
    const std::string sys = "system colour ";
    if (cell.compare(0, sys.size(), sys) == 0) return SysColorDefault(std::atoi(cell.c_str() + sys.size()));
    const size_t digits = cell.find_first_not_of("0123456789");
    const std::string number = cell.substr(0, digits);
    EXPECT_TRUE(IsDecimal(number)) << cell;
    const unsigned long value = std::strtoul(number.c_str(), nullptr, 10);
    if (digits != std::string::npos) {
        const std::string rest = cell.substr(digits);
        EXPECT_EQ(rest.compare(0, 4, " (0x"), 0) << cell;
        EXPECT_EQ(std::strtoul(rest.c_str() + 4, nullptr, 16), value) << "hexadecimal form differs: " << cell;
    }
    return FixedDefault(static_cast<UINT>(value));
}

template <class Owner>
void ExpectGuideLists(const IniKeyTable<Owner>& table, const std::vector<Row>& rows) {
    ASSERT_EQ(rows.size(), table.count);
    size_t i = 0;
    for (const IniKey<Owner>& k : table) {
        const Row& row = rows[i++];
        ASSERT_GE(row.size(), 3u);
        EXPECT_EQ(row[0], Narrow(k.key));
        const IniDefault def = GuideDefault(row[1]);
        EXPECT_EQ(def.sysColor, k.def.sysColor) << row[0];
        if (k.def.sysColor == kNoSysColor) {
            EXPECT_EQ(def.value, k.def.value) << row[0];
        }
    }
}

// ---------------------------------------------------------------- INI samples

struct IniEntry {
    std::string key;
    std::string value;
    bool commented;  // ";key=" : the key left out, its default described
};

std::vector<IniEntry> SectionEntries(const std::vector<std::string>& lines, const std::string& name) {
    std::vector<IniEntry> entries;
    bool inside = false;
    bool found = false;
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == '[') {
            inside = line == "[" + name + "]";
            found = found || inside;
            continue;
        }
        if (!inside) continue;
        const bool commented = line[0] == ';';
        const std::string body = commented ? Trim(line.substr(1)) : line;
        const size_t eq = body.find('=');
        if (eq == std::string::npos) {
            EXPECT_TRUE(commented) << "line without '=': " << line;
            continue;
        }
        const std::string key = Trim(body.substr(0, eq));
        const std::string value = Trim(body.substr(eq + 1));
        if (commented && (!IsIdentifier(key) || !value.empty())) continue;  // prose
        entries.push_back({key, value, commented});
    }
    EXPECT_TRUE(found) << "no section " << name;
    return entries;
}

// Every key of the table, in its order; a fixed default written out, a
// system-colour default as a key left out.
template <class Owner>
void ExpectSampleLists(const IniKeyTable<Owner>& table, const std::vector<IniEntry>& entries) {
    ASSERT_EQ(entries.size(), table.count);
    size_t i = 0;
    for (const IniKey<Owner>& k : table) {
        const IniEntry& e = entries[i++];
        EXPECT_EQ(e.key, Narrow(k.key));
        EXPECT_EQ(e.commented, k.def.sysColor != kNoSysColor) << e.key;
        if (!e.commented) {
            EXPECT_EQ(e.value, std::to_string(k.def.value)) << e.key;
        }
    }
}

// ---------------------------------------------------------------- labels

// A UTF-8 text of the guide as UTF-16.
std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

// The examples of a section written as comments with a value (";key=value"):
// key and value, in file order.
std::vector<std::pair<std::string, std::string>> CommentedExamples(const std::vector<std::string>& lines,
                                                                   const std::string& name) {
    std::vector<std::pair<std::string, std::string>> examples;
    bool inside = false;
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == '[') {
            inside = line == "[" + name + "]";
            continue;
        }
        if (!inside || line[0] != ';') continue;
        const std::string body = Trim(line.substr(1));
        const size_t eq = body.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Trim(body.substr(0, eq));
        const std::string value = Trim(body.substr(eq + 1));
        if (IsIdentifier(key) && !value.empty()) examples.emplace_back(key, value);
    }
    return examples;
}

// ---------------------------------------------------------------- exports

struct Export {
    std::string name;
    std::vector<std::string> types;  // C types of the arguments
};

// The prototypes of src/frame/exports.h: TESSEL_API Name(type arg, ...);
std::vector<Export> HeaderExports() {
    std::vector<Export> exports;
    const std::regex prototype(R"(^TESSEL_API\s+(\w+)\((.*)\);\s*$)");
    for (const std::string& line : ReadLines("src/frame/exports.h")) {
        std::smatch m;
        if (!std::regex_match(line, m, prototype)) continue;
        Export e{m[1], {}};
        std::stringstream args(m[2].str());
        std::string arg;
        while (std::getline(args, arg, ',')) {
            arg = Trim(arg);
            e.types.push_back(arg.substr(0, arg.find(' ')));
        }
        exports.push_back(e);
    }
    return exports;
}

std::vector<std::string> DefExports() {
    std::vector<std::string> names;
    bool inExports = false;
    for (const std::string& raw : ReadLines("src/Tessel2U.def")) {
        const std::string line = Trim(raw);
        if (line == "EXPORTS") {
            inExports = true;
        } else if (inExports && !line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

// The names in the export directory of the loaded library.
std::set<std::string> ModuleExports(HMODULE module) {
    std::set<std::string> names;
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return names;
    const IMAGE_EXPORT_DIRECTORY* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const DWORD* nameRvas = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

// ---------------------------------------------------------------- n_tessel.sru

struct Sru {
    std::vector<std::string> lines;
    std::map<std::string, Export> externals;        // of Tessel2U.dll: name -> PowerBuilder argument types
    std::vector<std::string> libraries;             // LIBRARY of each of them
    std::map<std::string, std::string> system;      // of system DLLs: "library name returns (types)"
    std::vector<std::string> wrappers;              // forward prototypes
    std::map<std::string, std::string> bodies;      // wrapper -> its script
    size_t endFunctions = 0;
};

Sru ReadSru(const std::string& relative) {
    Sru sru;
    sru.lines = ReadLines(relative);
    const std::regex external(R"re(^FUNCTION\s+(\w+)\s+(\w+)\s*\((.*)\)\s+LIBRARY\s+"([^"]*)"\s*$)re",
                              std::regex::icase);
    const std::regex forward(R"(^public function \w+ (\w+) \((.*)\)$)");
    const std::regex bodyStart(R"(^public function \w+ (\w+) \((.*)\);.*$)");
    enum { kNone, kPrototypes, kForward } block = kNone;
    std::string current;
    for (const std::string& line : sru.lines) {
        std::smatch m;
        if (line == "type prototypes") {
            block = kPrototypes;
        } else if (line == "forward prototypes") {
            block = kForward;
        } else if (line == "end prototypes") {
            block = kNone;
        } else if (block == kPrototypes && std::regex_match(line, m, external) && m[4] != "Tessel2U.dll") {
            std::string types;
            std::stringstream args(m[3].str());
            for (std::string arg; std::getline(args, arg, ',');)
                types += (types.empty() ? "" : ", ") + Trim(arg).substr(0, Trim(arg).rfind(' '));
            sru.system[m[2]] = m[4].str() + " " + m[2].str() + " " + m[1].str() + " (" + types + ")";
        } else if (block == kPrototypes && std::regex_match(line, m, external)) {
            EXPECT_EQ(m[1].str(), "long") << line;
            Export e{m[2], {}};
            std::stringstream args(m[3].str());
            std::string arg;
            while (std::getline(args, arg, ',')) {
                arg = Trim(arg);
                if (arg.empty()) continue;
                e.types.push_back(arg.substr(0, arg.rfind(' ')));
            }
            EXPECT_EQ(sru.externals.count(e.name), 0u) << "declared twice: " << e.name;
            sru.externals[e.name] = e;
            sru.libraries.push_back(m[4]);
        } else if (block == kForward && std::regex_match(line, m, forward)) {
            sru.wrappers.push_back(m[1]);
        } else if (block == kNone && std::regex_match(line, m, bodyStart)) {
            current = m[1];
            sru.bodies[current] = line;
        } else if (line == "end function") {
            ++sru.endFunctions;
            current.clear();
        } else if (!current.empty()) {
            sru.bodies[current] += "\n" + line;
        }
    }
    return sru;
}

std::string PowerBuilderType(const std::string& cType, const std::string& handleType) {
    if (cType == "HWND") return handleType;
    if (cType == "LPCWSTR") return "readonly string";
    if (cType == "int" || cType == "COLORREF") return "long";
    return "?" + cType;
}

void ExpectSruDeclaresTheExports(const std::string& relative, const std::string& handleType) {
    SCOPED_TRACE(relative);
    const Sru sru = ReadSru(relative);
    ASSERT_FALSE(sru.lines.empty());
    EXPECT_EQ(sru.lines[0], "$PBExportHeader$n_tessel.sru");
    bool globalType = false;
    for (const std::string& line : sru.lines)
        globalType = globalType || line.find("global type n_tessel from nonvisualobject") == 0;
    EXPECT_TRUE(globalType);

    // Exactly the library's exports, with the PowerBuilder type of each argument.
    const std::vector<Export> exports = HeaderExports();
    ASSERT_EQ(exports.size(), 18u);
    EXPECT_EQ(sru.externals.size(), exports.size());
    for (const Export& e : exports) {
        auto it = sru.externals.find(e.name);
        if (it == sru.externals.end()) {
            ADD_FAILURE() << "not declared: " << e.name;
            continue;
        }
        ASSERT_EQ(it->second.types.size(), e.types.size()) << "argument count of " << e.name;
        for (size_t i = 0; i < e.types.size(); ++i)
            EXPECT_EQ(it->second.types[i], PowerBuilderType(e.types[i], handleType))
                << e.name << " argument " << i + 1;
    }
    for (const std::string& library : sru.libraries) EXPECT_EQ(library, "Tessel2U.dll");

    // Every wrapper has its script; every export but the inert one is wrapped.
    EXPECT_EQ(sru.bodies.size(), sru.wrappers.size());
    EXPECT_EQ(sru.endFunctions, sru.wrappers.size());
    for (const std::string& w : sru.wrappers) EXPECT_EQ(sru.bodies.count(w), 1u) << "no script: " << w;
    for (const Export& e : exports) {
        if (e.name == "GetAddColumnSyntax") continue;
        bool called = false;
        for (const auto& body : sru.bodies) called = called || body.second.find(e.name + "(") != std::string::npos;
        EXPECT_TRUE(called) << "no wrapper calls " << e.name;
    }

    // The wrappers send exactly the messages meant for the application.
    std::set<UINT> hostMessages;
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        if (kPrivateMessages[i].sender == MessageSender::Host) hostMessages.insert(kPrivateMessages[i].number);
    std::set<UINT> sent;
    const std::regex send(R"(Send\(Handle\(adw\), (\d+), 0, \w+\))");
    for (const auto& body : sru.bodies)
        for (std::sregex_iterator m(body.second.begin(), body.second.end(), send), end; m != end; ++m)
            sent.insert(static_cast<UINT>(std::stoul((*m)[1])));
    EXPECT_EQ(sent, hostMessages);
    ASSERT_EQ(sru.bodies.count("of_set_sidebar"), 1u);
    EXPECT_NE(sru.bodies.at("of_set_sidebar").find(", " + std::to_string(WM_DW_SIDEBAR) + ","), std::string::npos);
    ASSERT_EQ(sru.bodies.count("of_set_info_target"), 1u);
    EXPECT_NE(sru.bodies.at("of_set_info_target").find(", " + std::to_string(WM_DW_INFOTARGET) + ","),
              std::string::npos);
}

}  // namespace

TEST(SettingsKeys, GuideAndSampleListTheKeysOfSectionDatawindow) {
    EXPECT_STREQ(kDataWindowSection, L"datawindow");
    ExpectGuideLists(kDataWindowKeys, GuideTable(ReadLines("pb/README.md"), "### Settings keys: section \"datawindow\""));
    ExpectSampleLists(kDataWindowKeys, SectionEntries(ReadLines("pb/tessel.ini"), "datawindow"));
}

TEST(LabelKeys, GuideAndSampleListTheLabelKeysWithEnglishExamples) {
    // The guide: every label key in the library's order, with its default
    // caption and an English example.
    const std::vector<Row> rows =
        GuideTable(ReadLines("pb/README.md"), "### Label keys: section \"datawindow\"");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kInfoLabelCount));
    for (int i = 0; i < kInfoLabelCount; ++i) {
        ASSERT_GE(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][0], Narrow(kInfoLabelKeys[i].key));
        EXPECT_EQ(Wide(rows[i][1]), std::wstring(kInfoLabelKeys[i].defaultText)) << rows[i][0];
        EXPECT_FALSE(rows[i][2].empty()) << rows[i][0];
    }
    // The sample file: each key once, commented out, with an English
    // caption, and no label key set for real (the sample keeps the defaults).
    const auto examples = CommentedExamples(ReadLines("pb/tessel.ini"), "datawindow");
    std::map<std::string, int> seen;
    for (const auto& e : examples) {
        for (int i = 0; i < kInfoLabelCount; ++i) {
            if (e.first != Narrow(kInfoLabelKeys[i].key)) continue;
            ++seen[e.first];
            for (char c : e.second) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << e.first << " example is not plain ASCII";
        }
    }
    for (int i = 0; i < kInfoLabelCount; ++i) {
        const std::string key = Narrow(kInfoLabelKeys[i].key);
        EXPECT_EQ(seen[key], 1) << key;
    }
    for (const IniEntry& e : SectionEntries(ReadLines("pb/tessel.ini"), "datawindow")) {
        for (int i = 0; i < kInfoLabelCount; ++i) EXPECT_NE(e.key, Narrow(kInfoLabelKeys[i].key));
    }
}

TEST(ScrollBarKeys, GuideAndBothSamplesListTheKeysOfSectionScrollBar) {
    EXPECT_STREQ(kScrollBarSection, L"ScrollBar");
    ExpectGuideLists(kScrollBarKeys, GuideTable(ReadLines("pb/README.md"), "### Skin keys: section \"ScrollBar\""));
    {
        SCOPED_TRACE("tessel.ini");
        ExpectSampleLists(kScrollBarKeys, SectionEntries(ReadLines("pb/tessel.ini"), "ScrollBar"));
    }
    {
        SCOPED_TRACE("skin.ini");
        ExpectSampleLists(kScrollBarKeys, SectionEntries(ReadLines("pb/skin.ini"), "ScrollBar"));
    }
}

TEST(SkinSample, SysColorLinesAreIndexAndDecimalColour) {
    const std::vector<IniEntry> entries = SectionEntries(ReadLines("pb/skin.ini"), "SysColor");
    EXPECT_FALSE(entries.empty());
    for (const IniEntry& e : entries) {
        EXPECT_FALSE(e.commented) << e.key;
        EXPECT_TRUE(IsDecimal(e.key) && std::atoi(e.key.c_str()) <= COLOR_MENUBAR) << e.key;
        EXPECT_TRUE(e.value.empty() || (IsDecimal(e.value) && std::strtoul(e.value.c_str(), nullptr, 10) <= 0xFFFFFF))
            << e.key << "=" << e.value;
    }
}

TEST(PrivateMessages, GuideListsTheMessagesOfTheCode) {
    const std::vector<Row> rows = GuideTable(ReadLines("pb/README.md"), "## Private messages");
    ASSERT_EQ(rows.size(), kPrivateMessageCount);
    for (size_t i = 0; i < kPrivateMessageCount; ++i) {
        const PrivateMessage& msg = kPrivateMessages[i];
        ASSERT_GE(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][0], msg.name);
        EXPECT_EQ(rows[i][1], std::to_string(msg.number)) << msg.name;
        const char* sender = msg.sender == MessageSender::Host      ? "host"
                             : msg.sender == MessageSender::Library ? "library"
                                                                    : "runtime";
        EXPECT_EQ(rows[i][2], sender) << msg.name;
    }
    // The colour messages set the seven colours of SetColor, one each.
    std::set<int> kinds;
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        if (kPrivateMessages[i].colourKind >= 0) kinds.insert(kPrivateMessages[i].colourKind);
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(PrivateMessageColourKind(WM_DW_SETHOVERCOLOR), 6);
    EXPECT_EQ(PrivateMessageColourKind(WM_DW_SIDEBAR), -1);
}

TEST(Exports, HeaderDefinitionFileAndLibraryAgree) {
    std::set<std::string> header;
    for (const Export& e : HeaderExports()) header.insert(e.name);
    const std::vector<std::string> def = DefExports();
    EXPECT_EQ(def.size(), 18u);
    EXPECT_EQ(std::set<std::string>(def.begin(), def.end()), header);

    HMODULE dll = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_EQ(ModuleExports(dll), header);
    FreeLibrary(dll);
}

TEST(PowerBuilderObject, DeclaresExactlyTheExportsWithTheirArguments) {
    ExpectSruDeclaresTheExports("pb/n_tessel.sru", "ulong");
    ExpectSruDeclaresTheExports("pb/x64/n_tessel.sru", "longptr");
}

namespace {

struct KitVersion {
    const char* sru;
    std::map<std::string, std::string> declarations;  // of the system DLLs, as ReadSru writes them
};

// Handles and pointers of the system's functions: ulong in the 32-bit kit,
// longptr in the 64-bit one; a C UINT or DWORD is a ulong in both.
const KitVersion kKitVersions[] = {
    {"pb/n_tessel.sru",
     {{"GetFileVersionInfoSizeW", "version.dll GetFileVersionInfoSizeW ulong (readonly string, ref ulong)"},
      {"GetFileVersionInfoW", "version.dll GetFileVersionInfoW boolean (readonly string, ulong, ulong, ref blob)"},
      {"VerQueryValueW", "version.dll VerQueryValueW boolean (ref blob, readonly string, ref ulong, ref ulong)"}}},
    {"pb/x64/n_tessel.sru",
     {{"GetFileVersionInfoSizeW", "version.dll GetFileVersionInfoSizeW ulong (readonly string, ref ulong)"},
      {"GetFileVersionInfoW", "version.dll GetFileVersionInfoW boolean (readonly string, ulong, ulong, ref blob)"},
      {"VerQueryValueW", "version.dll VerQueryValueW boolean (ref blob, readonly string, ref longptr, ref ulong)"}}},
};

void PrintTo(const KitVersion& kit, std::ostream* os) { *os << kit.sru; }

class KitOfVersion : public ::testing::TestWithParam<KitVersion> {};

}  // namespace

// of_version asks version.dll for a value of the library's file: the value
// that its sub-block names, asked of the library built here, is the release.
TEST_P(KitOfVersion, DeclaresVersionFunctionsAndAsksForTheFileVersion) {
    const Sru sru = ReadSru(GetParam().sru);
    EXPECT_EQ(sru.system, GetParam().declarations);
    ASSERT_EQ(sru.bodies.count("of_version"), 1u);
    const std::string body = sru.bodies.at("of_version");
    EXPECT_EQ(body.compare(0, 36, "public function string of_version ()"), 0) << body;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(body, m, std::regex(R"re(GetFileVersionInfoSizeW\("([^"]+)")re"))) << body;
    EXPECT_EQ(m[1].str(), "Tessel2U.dll");
    ASSERT_TRUE(std::regex_search(body, m, std::regex(R"re(VerQueryValueW\(\w+, "([^"]+)", (\w+),)re"))) << body;
    const std::string subBlock = m[1];
    const std::string address = m[2];
    EXPECT_NE(body.find("return String(" + address + ", \"address\")"), std::string::npos) << body;

    HMODULE dll = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(dll, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(dll, path, MAX_PATH);
    FreeLibrary(dll);
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    const std::wstring wideSubBlock(subBlock.begin(), subBlock.end());  // PowerScript has no escapes in it
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), wideSubBlock.c_str(), &value, &length)) << subBlock;
    EXPECT_STREQ(static_cast<const wchar_t*>(value), L"1.0.0");
}

INSTANTIATE_TEST_SUITE_P(Kits, KitOfVersion, ::testing::ValuesIn(kKitVersions),
                         [](const ::testing::TestParamInfo<KitVersion>& info) {
                             return std::string(info.index == 0 ? "x86" : "x64");
                         });
