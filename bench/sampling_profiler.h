// A sampling profiler for the benchmark: a second thread stops the measured
// thread every millisecond, walks its stack through the modules' unwind
// tables and counts every frame; the report lists the most frequent frames
// as module and offset, for addr2line. The stack walk needs unwind tables,
// so it works in x86_64 builds; elsewhere it reports that it cannot.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

class SamplingProfiler {
public:
    // Starts sampling the calling thread.
    SamplingProfiler();
    ~SamplingProfiler();
    SamplingProfiler(const SamplingProfiler&) = delete;
    SamplingProfiler& operator=(const SamplingProfiler&) = delete;

    // Stops sampling and writes the top frames, inclusive counts, one per
    // line: "count percent module offset".
    void Report(FILE* out, size_t top);

private:
    static DWORD WINAPI Sampler(LPVOID self);
    void Sample();

    HANDLE m_hTarget = nullptr;
    HANDLE m_hThread = nullptr;
    volatile LONG m_bStop = 0;
    long m_nSamples = 0;
    std::map<DWORD64, long> m_mapFrames;  // frame address -> samples that contain it
};
