// The stand-in runtime against the corpus of exported DataWindow sources in
// tests/corpus/datawindows: every source opens as a DataWindow control from
// its file, paints, and the definition it writes back opens again.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "pbsim_test_host.h"

namespace {

// The corpus folder, as the test process sees it (a Unix path through
// Wine's Z: drive).
std::wstring CorpusFolder() {
  const std::string root = PBSIM_CORPUS_DIR;
  std::wstring folder(root.begin(), root.end());
  if (!folder.empty() && folder[0] == L'/') folder = L"Z:" + folder;
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  return folder;
}

std::vector<std::wstring> SourceFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((folder + L"\\*.srd").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? static_cast<size_t>(size) : 1, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);
  return utf8;
}

std::wstring LastError(const pbsim_test::Runtime& rt) {
  wchar_t error[1024] = {};
  rt.modules.GetLastError(error, 1024);
  return error;
}

}  // namespace

TEST(PbsimCorpus, EverySourceLoadsPaintsAndReloadsItsSyntax) {
  pbsim_test::Runtime rt;
  ASSERT_TRUE(rt.Load()) << "the modules of generation 105 are not all there";
  ASSERT_NE(rt.modules.CreateDataWindowFromFile, nullptr);
  pbsim_test::HostWindow host(20, 20, 900, 700);
  ASSERT_NE(host.Get(), nullptr);

  const std::wstring folder = CorpusFolder();
  const std::vector<std::wstring> files = SourceFiles(folder);
  ASSERT_FALSE(files.empty()) << "no .srd files in " << Narrow(folder);

  int loaded = 0;
  std::vector<std::string> failures;
  for (const std::wstring& name : files) {
    const std::wstring path = folder + L"\\" + name;
    HWND dw = rt.modules.CreateDataWindowFromFile(host.Get(), path.c_str(), 8, 10, 10, 800, 600, 0);
    if (!dw) {
      failures.push_back(Narrow(name) + ": " + Narrow(LastError(rt)));
      continue;
    }
    ++loaded;

    // Painted through the window's own paint message and printed.
    pbsim_test::Dib screen(800, 600);
    ASSERT_TRUE(screen.Ok());
    screen.Fill(RGB(1, 2, 3));
    SendMessageW(dw, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(screen.Dc()), PRF_CLIENT);
    pbsim_test::Dib page(850, 1100);
    EXPECT_EQ(rt.modules.PrintToDC(dw, page.Dc()), 1) << Narrow(name);
    RECT all = {0, 0, 800, 600};
    EXPECT_LT(screen.Count(all, [](COLORREF c) { return c == RGB(1, 2, 3); }), 800 * 600)
        << Narrow(name) << ": the control painted nothing";

    // The definition the runtime writes back opens again and writes itself
    // the same way.
    std::vector<wchar_t> buffer(1 << 20, L'\0');
    rt.Describe(dw, L"DataWindow.Syntax", buffer.data(), static_cast<LONG>(buffer.size()));
    const std::wstring syntax = buffer.data();
    EXPECT_EQ(syntax.compare(0, 8, L"release "), 0) << Narrow(name);
    HWND copy = rt.modules.CreateDataWindow(host.Get(), syntax.c_str(), nullptr, 10, 10, 400, 300, 0);
    EXPECT_NE(copy, nullptr) << Narrow(name) << ": its syntax does not load again: " << Narrow(LastError(rt));
    if (copy) {
      std::vector<wchar_t> again(1 << 20, L'\0');
      rt.Describe(copy, L"DataWindow.Syntax", again.data(), static_cast<LONG>(again.size()));
      EXPECT_EQ(Narrow(again.data()), Narrow(syntax)) << Narrow(name);
      DestroyWindow(copy);
    }
    DestroyWindow(dw);
  }

  printf("corpus: loaded %d of %d\n", loaded, static_cast<int>(files.size()));
  for (const std::string& failure : failures) printf("corpus: failed %s\n", failure.c_str());
  EXPECT_GE(loaded * 100, static_cast<int>(files.size()) * 99)
      << "fewer than 99% of the sources load (" << loaded << " of " << files.size() << ")";
}
