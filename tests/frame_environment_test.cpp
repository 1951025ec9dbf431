// AddSystemEnv: list-valued environment variables of the host process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tessel_dll.h"

namespace {

std::wstring OsValue(const wchar_t* name) {
    wchar_t buf[40000];
    DWORD n = GetEnvironmentVariableW(name, buf, 40000);
    return n ? std::wstring(buf, n) : std::wstring();
}

std::wstring CrtValue(const wchar_t* name) {
    const wchar_t* v = _wgetenv(name);
    return v ? v : L"";
}

}  // namespace

TEST(AddSystemEnv, SemicolonListRules) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    _wputenv(L"T2U_LIST=A;B");
    EXPECT_EQ(dll.AddSystemEnv(L"T2U_LIST", L"C", 0), 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"A;B;C");
    EXPECT_EQ(OsValue(L"T2U_LIST"), L"A;B;C");  // the operating system's copy too
    dll.AddSystemEnv(L"T2U_LIST", L"C", 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"A;B;C");
    dll.AddSystemEnv(L"T2U_LIST", L"B", 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"A;B;C");

    // An element that stands first is not recognised and is appended again.
    _wputenv(L"T2U_LIST=C;B");
    dll.AddSystemEnv(L"T2U_LIST", L"C", 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"C;B;C");

    // A trailing ";" is not doubled, and the result never ends with one.
    _wputenv(L"T2U_LIST=A;");
    dll.AddSystemEnv(L"T2U_LIST", L"D", 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"A;D");

    // Replace flag, unset variable, value equal to the given one.
    dll.AddSystemEnv(L"T2U_LIST", L"C", 1);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"C");
    dll.AddSystemEnv(L"T2U_LIST", L"C", 0);
    EXPECT_EQ(CrtValue(L"T2U_LIST"), L"C");
    dll.AddSystemEnv(L"T2U_NEW", L"X", 0);
    EXPECT_EQ(CrtValue(L"T2U_NEW"), L"X");
}

TEST(AddSystemEnv, BadInputChangesNothing) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    _wputenv(L"T2U_BIG=A");
    EXPECT_EQ(dll.AddSystemEnv(nullptr, L"x", 0), 0);
    EXPECT_EQ(dll.AddSystemEnv(L"T2U_BIG", nullptr, 0), 0);
    // Far longer than any environment entry may be: refused, nothing written.
    std::wstring huge(100000, L'v');
    EXPECT_EQ(dll.AddSystemEnv(L"T2U_BIG", huge.c_str(), 0), 0);
    EXPECT_EQ(CrtValue(L"T2U_BIG"), L"A");
    EXPECT_EQ(OsValue(L"T2U_BIG"), L"A");
    // Long but acceptable values grow the entry without truncation.
    std::wstring longer(20000, L'w');
    dll.AddSystemEnv(L"T2U_BIG", longer.c_str(), 0);
    EXPECT_EQ(CrtValue(L"T2U_BIG"), L"A;" + longer);
}
