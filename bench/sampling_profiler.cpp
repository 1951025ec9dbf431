#include "sampling_profiler.h"

#include <algorithm>
#include <cstdio>
#include <vector>

SamplingProfiler::SamplingProfiler() {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_hTarget, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    m_hThread = CreateThread(nullptr, 0, Sampler, this, 0, nullptr);
}

SamplingProfiler::~SamplingProfiler() {
    m_bStop = 1;
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hTarget) CloseHandle(m_hTarget);
}

DWORD WINAPI SamplingProfiler::Sampler(LPVOID self) {
    auto* profiler = static_cast<SamplingProfiler*>(self);
    while (!profiler->m_bStop) {
        Sleep(1);
        profiler->Sample();
    }
    return 0;
}

void SamplingProfiler::Sample() {
#if defined(_M_X64) || defined(__x86_64__)
    // Nothing may allocate while the thread is stopped: it may hold the heap.
    DWORD64 frames[64];
    int depth = 0;
    if (SuspendThread(m_hTarget) == static_cast<DWORD>(-1)) return;
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_FULL;
    if (GetThreadContext(m_hTarget, &context)) {
        while (depth < 64 && context.Rip) {
            frames[depth++] = context.Rip;
            DWORD64 base = 0;
            PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &base, nullptr);
            if (!function) {
                // A leaf function: the return address is on top of the stack.
                DWORD64 returnAddress = 0;
                SIZE_T read = 0;
                if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(context.Rsp), &returnAddress,
                                       sizeof returnAddress, &read) ||
                    read != sizeof returnAddress) {
                    break;
                }
                context.Rip = returnAddress;
                context.Rsp += 8;
                continue;
            }
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, function, &context, &handlerData, &establisher,
                             nullptr);
        }
    }
    ResumeThread(m_hTarget);
    ++m_nSamples;
    std::sort(frames, frames + depth);
    const int distinct = static_cast<int>(std::unique(frames, frames + depth) - frames);
    for (int i = 0; i < distinct; ++i) ++m_mapFrames[frames[i]];
#endif
}

void SamplingProfiler::Report(FILE* out, size_t top) {
    m_bStop = 1;
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (!m_nSamples || m_mapFrames.empty()) {
        fprintf(out, "profile: no samples (the stack walk needs an x86_64 build)\n");
        return;
    }
    std::vector<std::pair<long, DWORD64>> ranked;
    for (const auto& entry : m_mapFrames) ranked.emplace_back(entry.second, entry.first);
    std::sort(ranked.rbegin(), ranked.rend());
    fprintf(out, "profile: %ld samples\n", m_nSamples);
    for (size_t i = 0; i < ranked.size() && i < top; ++i) {
        HMODULE module = nullptr;
        wchar_t name[MAX_PATH] = L"?";
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(ranked[i].second), &module);
        if (module) GetModuleFileNameW(module, name, MAX_PATH);
        const wchar_t* base = wcsrchr(name, L'\\');
        fprintf(out, "%6ld %5.1f%% %ls 0x%llx\n", ranked[i].first, 100.0 * ranked[i].first / m_nSamples,
                base ? base + 1 : name,
                static_cast<unsigned long long>(ranked[i].second - reinterpret_cast<DWORD64>(module)));
    }
}
