// Every export of the system modules the product intercepts from: attach,
// commit, detach, commit, one export at a time, never calling it. Counts of
// hooked and refused exports are printed.
//
// The replacement handed to each attach is a pass-through stub that jumps
// through g_real (jmp dword ptr [g_real]; on x64 mov rax,&g_real /
// jmp qword ptr [rax]), so a call that reaches a hooked export while it is
// hooked — from the engine itself (VirtualProtect, FlushInstructionCache),
// from the C runtime, or from Wine's own modules, since many kernel32
// exports resolve to code in kernelbase and ntdll — runs the original code
// through the trampoline instead of a replacement with the wrong signature.
// The engine's own dependencies therefore need no exclusion list; the sweep
// exercises their trampolines instead. Each export has its own pair of
// transactions, so only one export is ever hooked at a time.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

PVOID g_real = nullptr;

struct Counts {
  int exports = 0;
  int hooked = 0;
  int refused = 0;
  std::map<LONG, int> reasons;
  std::string refusedNames;
};

struct Export {
  PVOID address;
  std::string name;  // "#ordinal" for exports without a name
};

// The exports of module, by ordinal, forwarded ones resolved.
std::vector<Export> ExportsOf(HMODULE module) {
  std::vector<Export> exports;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0) return exports;
  const auto* table = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* functions = reinterpret_cast<const DWORD*>(base + table->AddressOfFunctions);
  const auto* names = reinterpret_cast<const DWORD*>(base + table->AddressOfNames);
  const auto* nameOrdinals = reinterpret_cast<const WORD*>(base + table->AddressOfNameOrdinals);
  for (DWORD i = 0; i < table->NumberOfFunctions; ++i) {
    if (functions[i] == 0) continue;
    const WORD ordinal = static_cast<WORD>(table->Base + i);
    FARPROC address = GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal)));
    if (address == nullptr) continue;
    std::string name = "#" + std::to_string(ordinal);
    for (DWORD n = 0; n < table->NumberOfNames; ++n) {
      if (nameOrdinals[n] == i) name = reinterpret_cast<const char*>(base + names[n]);
    }
    exports.push_back({reinterpret_cast<PVOID>(address), name});
  }
  return exports;
}

size_t Readable(const void* address, size_t size) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(address, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT ||
      (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0) {
    return 0;
  }
  const size_t left = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize -
                      reinterpret_cast<uintptr_t>(address);
  return left < size ? left : size;
}

Counts Sweep(const wchar_t* name, PVOID stub) {
  Counts counts;
  HMODULE module = LoadLibraryW(name);
  if (module == nullptr) {
    ADD_FAILURE() << "cannot load " << name;
    return counts;
  }
  for (const Export& entry : ExportsOf(module)) {
    PVOID address = entry.address;
    ++counts.exports;
    const size_t length = Readable(address, 16);
    const std::vector<BYTE> before(static_cast<BYTE*>(address), static_cast<BYTE*>(address) + length);
    g_real = address;
    const LONG attached = AttachOne(&g_real, stub);
    if (attached != NO_ERROR) {
      ++counts.refused;
      ++counts.reasons[attached];
      counts.refusedNames += " " + entry.name + "(" + std::to_string(attached) + ")";
      EXPECT_EQ(address, g_real);
      continue;
    }
    ++counts.hooked;
    EXPECT_NE(address, g_real);
    EXPECT_EQ(1u, InterceptTrampolineCount());
    EXPECT_EQ(NO_ERROR, DetachOne(&g_real, stub));
    EXPECT_EQ(address, g_real);
    EXPECT_EQ(0u, InterceptTrampolineCount());
    const std::vector<BYTE> after(static_cast<BYTE*>(address), static_cast<BYTE*>(address) + length);
    EXPECT_EQ(before, after) << entry.name << " of " << name << " not restored";
  }
  return counts;
}

}  // namespace

TEST(Sweep, EveryExportOfTheInterceptedModules) {
  CodeBuffer stubs;
  BYTE* stub = stubs.PutJumpThrough(0, &g_real);

  const wchar_t* modules[] = {L"user32.dll", L"gdi32.dll", L"kernel32.dll", L"uxtheme.dll", L"usp10.dll",
                              L"comdlg32.dll"};
  Counts total;
  for (const wchar_t* name : modules) {
    const Counts counts = Sweep(name, stub);
    std::printf("%-13ls exports %5d  hooked %5d  refused %4d", name, counts.exports, counts.hooked, counts.refused);
    for (const auto& reason : counts.reasons) std::printf("  [error %ld: %d]", reason.first, reason.second);
    std::printf("\n");
    if (!counts.refusedNames.empty()) std::printf("  refused:%s\n", counts.refusedNames.c_str());
    std::fflush(stdout);
    EXPECT_GT(counts.hooked, 0) << name;
    total.exports += counts.exports;
    total.hooked += counts.hooked;
    total.refused += counts.refused;
  }
  std::printf("all           exports %5d  hooked %5d  refused %4d\n", total.exports, total.hooked, total.refused);
  EXPECT_EQ(total.exports, total.hooked + total.refused);
  // Ordinary compiled functions make up nearly all of these exports.
  EXPECT_GT(total.hooked, total.exports * 3 / 4);
  EXPECT_EQ(0u, InterceptTrampolineCount());
}
