// A settings section read in one GetPrivateProfileSectionW call answers every
// key as GetPrivateProfileIntW and GetPrivateProfileStringW answer it from the
// same file: awkward files written byte for byte, each key's value with the
// default 7 pinned as a literal and compared with the profile API.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/ini_section.h"
#include "temp_folder.h"

namespace {

const wchar_t kSection[] = L"datawindow";
struct KeyAnswer {
    const wchar_t* key;
    UINT withDefault7;
};

struct IniCase {
    const char* name;
    std::string bytes;  // the file as written, byte for byte
    std::vector<KeyAnswer> keys;
};

std::string Utf8Bom(const std::string& text) { return "\xEF\xBB\xBF" + text; }

std::string Utf16Bom(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// A section larger than the first buffer the reader tries.
std::string ManyKeys() {
    std::string text = "[datawindow]\r\n";
    for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=" + std::to_string(i * 3) + "\r\n";
    return text + "[after]\r\nkey2999=1\r\n";
}

const std::vector<IniCase>& Cases() {
    static const std::vector<IniCase> cases = {
        {"BlanksAroundNamesAndValues",
         "[datawindow]\r\n  a  =  12  \r\n\tb\t=\t34\t\r\nc=   \r\n d =5 6\r\n",
         {{L"a", 12}, {L"b", 34}, {L"c", 7}, {L"d", 5}, {L" a ", 12}}},
        {"Signs",
         "[datawindow]\r\np=+5\r\nm=-5\r\npm=+-5\r\nmm=--5\r\nsp=- 5\r\nlone=-\r\n",
         {{L"p", 5}, {L"m", 0u - 5u}, {L"pm", 0}, {L"mm", 0}, {L"sp", 0}, {L"lone", 0}}},
        {"BasePrefixes",
         "[datawindow]\r\nh=0x1F\r\nH2=0X1F\r\nlow=0x1f\r\noct=010\r\no=0o17\r\nbin=0b101\r\nbare=0x\r\n"
         "bad=0xG\r\nneg=-0x10\r\nb2=0b2\r\nlead=00012\r\n",
         {{L"h", 31},
          {L"H2", 0},
          {L"low", 31},
          {L"oct", 10},
          {L"o", 15},
          {L"bin", 5},
          {L"bare", 0},
          {L"bad", 0},
          {L"neg", 0xFFFFFFF0u},
          {L"b2", 0},
          {L"lead", 12}}},
        {"OverflowWrapsIn32Bits",
         "[datawindow]\r\nbig=99999999999\r\nneg=-2147483649\r\nmax=4294967295\r\nwrap=4294967296\r\n"
         "min=-2147483648\r\nhex=0x123456789\r\n",
         {{L"big", 1215752191u},
          {L"neg", 2147483647u},
          {L"max", 0xFFFFFFFFu},
          {L"wrap", 0},
          {L"min", 0x80000000u},
          {L"hex", 0x23456789u}}},
        {"FirstOfDuplicateKeysAndSections",
         "[datawindow]\r\nk=1\r\nK=2\r\nk=3\r\n[other]\r\nk=9\r\n[DATAWINDOW]\r\nk=4\r\nonlyLater=5\r\n",
         {{L"k", 1}, {L"K", 1}, {L"onlyLater", 7}}},
        {"MissingValuesAndNoEquals",
         "[datawindow]\r\ne=\r\nnoeq\r\n e2 = \r\nfirstBare\r\nfirstBare=5\r\nfirstEmpty=\r\nfirstEmpty=6\r\n",
         {{L"e", 7}, {L"noeq", 7}, {L"e2", 7}, {L"firstBare", 7}, {L"firstEmpty", 7}, {L"absent", 7}}},
        {"CommentsAreNotKeys",
         "[datawindow]\r\n;c=5\r\n#h=6\r\nc=1 ; trailing\r\n  ;  spaced=3\r\n",
         {{L"c", 1}, {L"h", 7}, {L"#h", 6}, {L"spaced", 7}}},
        {"Quotes",
         "[datawindow]\r\nq1=\"12\"\r\nq2='13'\r\nq3=\"14'\r\nq4=\"\r\nq5=\"\"\r\nq6=\" 15\"\r\nq7='-16'\r\n"
         "q8=\"0x20\"\r\nq9=12\"\r\nq10=''7''\r\n",
         {{L"q1", 12},
          {L"q2", 13},
          {L"q3", 0},
          {L"q4", 0},
          {L"q5", 7},
          {L"q6", 15},
          {L"q7", 0u - 16u},
          {L"q8", 32},
          {L"q9", 12},
          {L"q10", 0}}},
        {"TrailingText",
         "[datawindow]\r\nt=12abc\r\nu=12 34\r\nv=abc\r\nw=1e3\r\nx=7.9\r\ny=1,000\r\n",
         {{L"t", 12}, {L"u", 12}, {L"v", 0}, {L"w", 1}, {L"x", 7}, {L"y", 1}}},
        {"OnlyTwentyNineCharactersCount",
         "[datawindow]\r\nz29=" + std::string(29, '0') + "123\r\nz26=" + std::string(26, '0') + "123\r\nq30=\"" +
             std::string(28, '0') + "9\"\r\nq29=\"" + std::string(27, '0') + "9\"\r\nq31=\"" + std::string(29, '0') +
             "9\"\r\nsp=\"" + std::string(28, ' ') + "8\"\r\n",
         {{L"z29", 0}, {L"z26", 123}, {L"q30", 0}, {L"q29", 9}, {L"q31", 0}, {L"sp", 0}}},
        {"TabsAndControlCharacters",
         "[datawindow]\r\ntab=\t\t42\r\nmid=4\t2\r\nctl=\"\x01\x02"
         "43\"\r\ncr=44\r\r\n",
         {{L"tab", 42}, {L"mid", 4}, {L"ctl", 43}, {L"cr", 44}}},
        {"NamesDifferingInCase",
         "[DataWindow]\r\nLineColor=100\r\nlinecolor=200\r\nBACKCOLOR=300\r\n",
         {{L"lineColor", 100}, {L"LINECOLOR", 100}, {L"backColor", 300}}},
        {"EmptySection", "[datawindow]\r\n[next]\r\na=1\r\n", {{L"a", 7}}},
        {"NoSection", "a=1\r\n[other]\r\nb=2\r\n", {{L"a", 7}, {L"b", 7}}},
        {"KeysBeforeTheFirstHeader", "a=1\r\n[datawindow]\r\nb=2\r\n", {{L"a", 7}, {L"b", 2}}},
        {"HeaderWithTrailingTextAndBrokenHeader",
         "[datawindow] junk\r\nk=3\r\n[broken\r\nm=4\r\n",
         {{L"k", 3}, {L"m", 4}, {L"[broken", 7}}},
        {"EqualsInValueAndBlanksInName",
         "[datawindow]\r\neq=5=6\r\ntwo words = 9\r\n=8\r\n",
         {{L"eq", 5}, {L"two words", 9}, {L"two", 7}}},
        {"Utf8WithMark",
         Utf8Bom("[datawindow]\r\n\xC3\x84rger=5\r\nfw=\xEF\xBC\x91\xEF\xBC\x92\r\nnb=\xC2\xA0"
                 "12\r\nsup=\xC2\xB2\r\n"),
         {{L"\u00C4rger", 5}, {L"\u00E4rger", 7}, {L"\u00C4RGER", 5}, {L"fw", 0}, {L"nb", 0}, {L"sup", 0}}},
        {"Utf16WithMark", Utf16Bom(L"[datawindow]\r\nw=0x10\r\n\u00DF=3\r\n"), {{L"w", 16}, {L"\u00DF", 3}}},
        {"LargeSection", ManyKeys(), {{L"key0", 0}, {L"key1500", 4500}, {L"key2999", 8997}, {L"key3000", 7}}},
    };
    return cases;
}

// Texts, each pinned: quotes, blanks, empty values, letters outside ASCII.
struct StringAnswer {
    const wchar_t* key;
    const wchar_t* withDefaultD;  // with the default L"D"
};

struct StringCase {
    const char* name;
    std::string bytes;
    std::vector<StringAnswer> keys;
};

const std::vector<StringCase>& StringCases() {
    static const std::vector<StringCase> cases = {
        {"QuotesAroundTheWholeValue",
         "[datawindow]\r\nd=\"Sum\"\r\ns='Sum'\r\nkeep=\" Total \"\r\nmixed=\"Sum'\r\nopen=\"Sum\r\n"
         "close=Sum\"\r\nlone=\"\r\npair=\"\"\r\ninner=a \"b\" c\r\ndouble=\"\"x\"\"\r\n",
         {{L"d", L"Sum"},
          {L"s", L"Sum"},
          {L"keep", L" Total "},
          {L"mixed", L"\"Sum'"},
          {L"open", L"\"Sum"},
          {L"close", L"Sum\""},
          {L"lone", L"\""},
          {L"pair", L""},
          {L"inner", L"a \"b\" c"},
          {L"double", L"\"x\""}}},
        {"BlanksPercentAndEmpty",
         "[datawindow]\r\n  sumlabel  =   Grand total   \r\npct=100% of %s %d\r\nempty=\r\nbare\r\n"
         "tab=\tTabbed\t\r\nsemi=a ; b\r\n",
         {{L"sumlabel", L"Grand total"},
          {L"SUMLABEL", L"Grand total"},
          {L"pct", L"100% of %s %d"},
          {L"empty", L""},
          {L"bare", L"D"},
          {L"absent", L"D"},
          {L"tab", L"Tabbed"},
          {L"semi", L"a ; b"}}},
        {"Utf16Labels",
         Utf16Bom(L"[datawindow]\r\nmaxlabel=Gr\u00F6\u00DFte\r\nminlabel=\"\u6700\u5C0F\"\r\n"),
         {{L"maxlabel", L"Gr\u00F6\u00DFte"}, {L"minlabel", L"\u6700\u5C0F"}}},
        {"Utf8WithMarkLabels",
         Utf8Bom("[datawindow]\r\navglabel=Moyenne \xC3\xA9t\xC3\xA9\r\n"),
         {{L"avglabel", L"Moyenne \u00E9t\u00E9"}}},
    };
    return cases;
}

// A file of the test's folder, its section read back.
class WrittenSection : public ::testing::TestWithParam<size_t> {
protected:
    void Load(const std::string& bytes) {
        ASSERT_TRUE(temp.Ok());
        m_path = temp.Write(L"settings.ini", bytes);
        ASSERT_TRUE(m_section.Read(kSection, m_path.c_str()));
    }
    UINT ProfileInt(const wchar_t* key, INT def) const {
        return GetPrivateProfileIntW(kSection, key, def, m_path.c_str());
    }
    std::wstring ProfileString(const wchar_t* key, const wchar_t* def) const {
        std::vector<wchar_t> buffer(8192, L'\0');
        GetPrivateProfileStringW(kSection, key, def, buffer.data(), static_cast<DWORD>(buffer.size()), m_path.c_str());
        return buffer.data();
    }
    TempFolder temp;
    std::wstring m_path;
    IniSection m_section;
};

class IniSectionNumbers : public WrittenSection {};
class IniSectionStrings : public WrittenSection {};

}  // namespace

// Catches a number parsed otherwise than the profile API does (signs, bases,
// overflow, quotes, blanks, comments, duplicates, encodings, a large section).
TEST_P(IniSectionNumbers, AsTheProfileApi) {
    const IniCase& c = Cases()[GetParam()];
    Load(c.bytes);
    for (const KeyAnswer& k : c.keys) {
        const std::wstring key = k.key;
        EXPECT_EQ(ProfileInt(k.key, 7), k.withDefault7) << "the profile API on " << key;
        EXPECT_EQ(m_section.Int(k.key, 7), k.withDefault7) << key;
        EXPECT_EQ(m_section.Int(k.key, -1), ProfileInt(k.key, -1)) << key;
        for (const wchar_t* def : {L"dflt", L"two  ", static_cast<const wchar_t*>(nullptr)})
            EXPECT_EQ(m_section.String(k.key, def), ProfileString(k.key, def)) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, IniSectionNumbers, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return Cases()[info.param].name; });

// Catches quotes, blanks or letters outside ASCII of a text taken otherwise.
TEST_P(IniSectionStrings, AsTheProfileApi) {
    const StringCase& c = StringCases()[GetParam()];
    Load(c.bytes);
    for (const StringAnswer& k : c.keys) {
        EXPECT_EQ(ProfileString(k.key, L"D"), k.withDefaultD) << "the profile API on " << std::wstring(k.key);
        EXPECT_EQ(m_section.String(k.key, L"D"), k.withDefaultD) << std::wstring(k.key);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, IniSectionStrings, ::testing::Range<size_t>(0, StringCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return StringCases()[info.param].name; });

// Values straight into the conversions: what a section text can hold but a
// file line cannot start or end with.
TEST(IniSectionText, ValuesConvertAndMissingOrAssignedSections) {
    const struct {
        const wchar_t* value;
        INT def;
        UINT number;
    } numbers[] = {{L"", 9, 9},
                   {L" 12", 9, 12},
                   {L"\"", 9, 0},
                   {L"''", 9, 9},
                   {L"' '", 9, 0},
                   {L"-0", 9, 0},
                   {L"0b", 9, 0},
                   {L"0o8", 9, 0},
                   {L"zz", -3, 0},
                   {L"+0x7fffffff", 9, 0x7FFFFFFFu},
                   {L"\t-1", 9, 0xFFFFFFFFu}};
    for (const auto& v : numbers) EXPECT_EQ(IniValueToInt(v.value, v.def), v.number) << std::wstring(v.value);
    const struct {
        const wchar_t* value;
        const wchar_t* text;
    } texts[] = {{L"", L""},         {L"'", L"'"},         {L"''", L""},   {L"'a'", L"a"},    {L"\"a'", L"\"a'"},
                 {L"' a '", L" a "}, {L" 'a' ", L" 'a' "}, {L"a'", L"a'"}, {L"%s%n", L"%s%n"}};
    for (const auto& v : texts) EXPECT_EQ(IniValueToString(v.value), v.text) << std::wstring(v.value);

    TempFolder temp;
    IniSection section;
    ASSERT_TRUE(section.Read(kSection, temp.File(L"missing.ini").c_str()));
    EXPECT_TRUE(section.Empty());
    EXPECT_EQ(section.Int(L"a", 42), 42u);
    EXPECT_EQ(section.String(L"a", L"dflt  "), L"dflt");
    EXPECT_EQ(section.String(L"a", nullptr), L"");
    section.Assign(L"a=1\0B=2\0b=3\0bare\0\0");
    EXPECT_STREQ(section.Find(L"b"), L"2");
    EXPECT_EQ(section.Find(L"bare"), nullptr);
    EXPECT_EQ(section.Int(L"bare", 5), 5u);
    EXPECT_EQ(section.Int(L"A", 0), 1u);
    section.Assign(L"\0");
    EXPECT_TRUE(section.Empty());
}
