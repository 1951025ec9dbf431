// A settings section read in one GetPrivateProfileSectionW call answers every
// key as GetPrivateProfileIntW and GetPrivateProfileStringW answer it from the
// same file: awkward files written byte for byte, each key's answer pinned as a
// literal and compared with the profile API too.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/ini_section.h"
#include "label_settings.h"
#include "temp_folder.h"

namespace {

const wchar_t kSection[] = L"datawindow";

// A file and its keys' answers: "key=answer|key=answer...", the answer a number
// (with the default 7) or, in a case of texts, a text (with the default "D").
struct IniCase {
    const char* name;
    std::string bytes;
    const wchar_t* answers;
    bool texts = false;
};

// A section larger than the first buffer the reader tries.
std::string ManyKeys() {
    std::string text = "[datawindow]\r\n";
    for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=" + std::to_string(i * 3) + "\r\n";
    return text + "[after]\r\nkey2999=1\r\n";
}

const std::vector<IniCase> kCases = {
    {"BlanksAroundNamesAndValues", "[datawindow]\r\n  a  =  12  \r\n\tb\t=\t34\t\r\nc=   \r\n d =5 6\r\n",
     L"a=12|b=34|c=7|d=5| a =12"},
    {"SignsBasesAndOverflow",
     "[datawindow]\r\np=+5\r\nm=-5\r\nmm=--5\r\nh=0x1F\r\nH2=0X1F\r\noct=010\r\nbad=0xG\r\nlead=00012\r\n"
     "big=99999999999\r\nneg=-2147483649\r\nmax=4294967295\r\nwrap=4294967296\r\n",
     L"p=5|m=4294967291|mm=0|h=31|H2=0|oct=10|bad=0|lead=12|big=1215752191|neg=2147483647|max=4294967295|wrap=0"},
    {"FirstOfDuplicateKeysAndSections",
     "[datawindow]\r\nk=1\r\nK=2\r\nk=3\r\n[other]\r\nk=9\r\n[DATAWINDOW]\r\nk=4\r\nonlyLater=5\r\n",
     L"k=1|K=1|onlyLater=7"},
    {"MissingValuesNoEqualsAndComments",
     "[datawindow]\r\ne=\r\nnoeq\r\n e2 = \r\nfirstBare\r\nfirstBare=5\r\nfirstEmpty=\r\nfirstEmpty=6\r\n"
     ";c=5\r\n#h=6\r\nc=1 ; trailing\r\n  ;  spaced=3\r\n",
     L"e=7|noeq=7|e2=7|firstBare=7|firstEmpty=7|absent=7|c=1|h=7|#h=6|spaced=7"},
    {"Quotes",
     "[datawindow]\r\nq1=\"12\"\r\nq2='13'\r\nq3=\"14'\r\nq4=\"\r\nq5=\"\"\r\nq6=\" 15\"\r\nq7='-16'\r\n"
     "q8=\"0x20\"\r\nq9=12\"\r\nq10=''7''\r\n",
     L"q1=12|q2=13|q3=0|q4=0|q5=7|q6=15|q7=4294967280|q8=32|q9=12|q10=0"},
    {"TextAroundTheNumber",
     "[datawindow]\r\nt=12abc\r\nu=12 34\r\nv=abc\r\nw=1e3\r\nx=7.9\r\ny=1,000\r\ntab=\t\t42\r\nmid=4\t2\r\n"
     "ctl=\"\x01\x02"
     "43\"\r\ncr=44\r\r\neq=5=6\r\ntwo words = 9\r\n=8\r\n",
     L"t=12|u=12|v=0|w=1|x=7|y=1|tab=42|mid=4|ctl=43|cr=44|eq=5|two words=9|two=7"},
    {"NamesDifferingInCase", "[DataWindow]\r\nLineColor=100\r\nlinecolor=200\r\nBACKCOLOR=300\r\n",
     L"lineColor=100|LINECOLOR=100|backColor=300"},
    {"Utf8WithMark",
     std::string("\xEF\xBB\xBF[datawindow]\r\n\xC3\x84rger=5\r\nfw=\xEF\xBC\x91\xEF\xBC\x92\r\nnb=\xC2\xA0"
                 "12\r\nsup=\xC2\xB2\r\n"),
     L"\u00C4rger=5|\u00E4rger=7|\u00C4RGER=5|fw=0|nb=0|sup=0"},
    {"Utf16WithMark", Utf16File(L"[datawindow]\r\nw=0x10\r\n\u00DF=3\r\n"), L"w=16|\u00DF=3"},
    {"LargeSection", ManyKeys(), L"key0=0|key1500=4500|key2999=8997|key3000=7"},
    {"TextsQuotedAsAWhole",
     "[datawindow]\r\nd=\"Sum\"\r\ns='Sum'\r\nkeep=\" Total \"\r\nmixed=\"Sum'\r\nopen=\"Sum\r\n"
     "close=Sum\"\r\nlone=\"\r\npair=\"\"\r\ninner=a \"b\" c\r\ndouble=\"\"x\"\"\r\n",
     L"d=Sum|s=Sum|keep= Total |mixed=\"Sum'|open=\"Sum|close=Sum\"|lone=\"|pair=|inner=a \"b\" c|double=\"x\"", true},
    {"TextsWithBlanksPercentAndEmpty",
     "[datawindow]\r\n  sumlabel  =   Grand total   \r\npct=100% of %s %d\r\nempty=\r\nbare\r\n"
     "tab=\tTabbed\t\r\nsemi=a ; b\r\n",
     L"sumlabel=Grand total|SUMLABEL=Grand total|pct=100% of %s %d|empty=|bare=D|absent=D|tab=Tabbed|semi=a ; b", true},
    {"TextsInUtf16", Utf16File(L"[datawindow]\r\nmaxlabel=Gr\u00F6\u00DFte\r\nminlabel=\"\u6700\u5C0F\"\r\n"),
     L"maxlabel=Gr\u00F6\u00DFte|minlabel=\u6700\u5C0F", true}};

class IniSectionFile : public ::testing::TestWithParam<IniCase> {};

}  // namespace

// Catches a number parsed otherwise than the profile API does (signs, bases,
// overflow, quotes, blanks, comments, duplicates, encodings, a large section),
// or quotes, blanks or letters outside ASCII of a text taken otherwise.
TEST_P(IniSectionFile, AnswersAsTheProfileApi) {
    TempFolder temp;
    const std::wstring path = temp.Write(L"settings.ini", GetParam().bytes);
    IniSection section;
    ASSERT_TRUE(temp.Ok() && section.Read(kSection, path.c_str()));
    auto profileString = [&](const wchar_t* key, const wchar_t* def) {
        std::vector<wchar_t> buffer(8192, L'\0');
        GetPrivateProfileStringW(kSection, key, def, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        return std::wstring(buffer.data());
    };
    std::wistringstream answers(GetParam().answers);
    for (std::wstring answer; std::getline(answers, answer, L'|');) {
        const size_t eq = answer.find(L'=', 1);  // a key may start with "[" but holds no "="
        const std::wstring name = answer.substr(0, eq), value = answer.substr(eq + 1);
        const wchar_t* key = name.c_str();
        if (GetParam().texts) {
            EXPECT_EQ(profileString(key, L"D"), value) << "the profile API on " << name;
            EXPECT_EQ(section.String(key, L"D"), value) << name;
            continue;
        }
        EXPECT_EQ(std::to_wstring(GetPrivateProfileIntW(kSection, key, 7, path.c_str())), value)
            << "the API on " << name;
        EXPECT_EQ(std::to_wstring(section.Int(key, 7)), value) << name;
    }
}
INSTANTIATE_TEST_SUITE_P(Files, IniSectionFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<IniCase>& info) { return info.param.name; });
