// AddSystemEnv: list-valued environment variables of the host process, in
// the C runtime's copy and the operating system's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tessel_dll.h"

namespace {

std::wstring OsValue(const wchar_t* name) {
    std::wstring buf(40000, L'\0');
    buf.resize(GetEnvironmentVariableW(name, &buf[0], 40000));
    return buf;
}

std::wstring CrtValue(const wchar_t* name) {
    const wchar_t* v = _wgetenv(name);
    return v ? v : L"";
}

}  // namespace

// Catches an element appended twice, a doubled or trailing ";", a replace flag
// ignored, and the system's copy left behind.
TEST(AddSystemEnv, SemicolonListRules) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    const struct {
        const wchar_t* before;  // "T2U_LIST=..." put first, or null to leave the variable unset
        const wchar_t* value;
        int replace;
        const wchar_t* after;
    } steps[] = {
        {L"T2U_LIST=A;B", L"C", 0, L"A;B;C"}, {nullptr, L"C", 0, L"A;B;C"}, {nullptr, L"B", 0, L"A;B;C"},
        {L"T2U_LIST=C;B", L"C", 0, L"C;B;C"},  // an element that stands first is not recognised
        {L"T2U_LIST=A;", L"D", 0, L"A;D"},    {nullptr, L"C", 1, L"C"},     {nullptr, L"C", 0, L"C"},
        {L"T2U_LIST=", L"X", 0, L"X"},
    };
    for (const auto& s : steps) {
        if (s.before) _wputenv(s.before);
        EXPECT_EQ(dll.AddSystemEnv(L"T2U_LIST", s.value, s.replace), 0);
        EXPECT_EQ(CrtValue(L"T2U_LIST"), s.after) << (s.before ? s.before : L"") << " + " << s.value;
        EXPECT_EQ(OsValue(L"T2U_LIST"), s.after);
    }
}

// Catches a missing null check or an entry longer than the system allows
// written, and a long value cut.
TEST(AddSystemEnv, BadInputChangesNothing) {
    TesselDll dll;
    _wputenv(L"T2U_BIG=A");
    EXPECT_EQ(dll.AddSystemEnv(nullptr, L"x", 0), 0);
    EXPECT_EQ(dll.AddSystemEnv(L"T2U_BIG", nullptr, 0), 0);
    EXPECT_EQ(dll.AddSystemEnv(L"T2U_BIG", std::wstring(100000, L'v').c_str(), 0), 0);
    EXPECT_EQ(CrtValue(L"T2U_BIG"), L"A");
    EXPECT_EQ(OsValue(L"T2U_BIG"), L"A");
    const std::wstring longer(20000, L'w');
    dll.AddSystemEnv(L"T2U_BIG", longer.c_str(), 0);
    EXPECT_EQ(CrtValue(L"T2U_BIG"), L"A;" + longer);
}
