// Timing of one figure: the subject and its baseline measured alternately in
// the same run, trial after trial, and summarised as the median with its
// spread. Each side of a trial runs its own number of calls, enough for the
// trial to last a minimum time, so that microsecond baselines are not timed
// in noise-sized slices.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline double NowSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds that one call of body takes, run n times (for the breakdown).
inline double TimeEach(long n, const std::function<void(long)>& body) {
    const double start = NowSeconds();
    for (long i = 0; i < n; ++i) body(i);
    return (NowSeconds() - start) / static_cast<double>(n);
}

// One side of a figure: the timed call, and optionally an untimed step after
// each call (undoing what the call did, so that the next call does the same
// work). With a step, each call is timed on its own.
struct Side {
    std::function<void(long)> call;
    std::function<void(long)> after;
};

// Seconds that all n calls of side took together.
inline double TimeCalls(const Side& side, long n) {
    if (!side.after) {
        const double start = NowSeconds();
        for (long i = 0; i < n; ++i) side.call(i);
        return NowSeconds() - start;
    }
    double total = 0;
    for (long i = 0; i < n; ++i) {
        const double start = NowSeconds();
        side.call(i);
        total += NowSeconds() - start;
        side.after(i);
    }
    return total;
}

// How many calls of side make a trial of at least minSeconds. Runs the side
// meanwhile, which also warms it up.
inline long CallsForTrial(const Side& side, double minSeconds) {
    long n = 1;
    for (;;) {
        const double took = TimeCalls(side, n);
        if (took >= minSeconds || n >= (1L << 28)) return n;
        long next = n * 16;
        if (took > 0) next = static_cast<long>(static_cast<double>(n) * minSeconds / took * 1.25) + 1;
        n = std::max(n * 2, std::min(next, n * 100));
    }
}

struct Summary {
    double median = 0;
    double low = 0;   // smallest trial
    double high = 0;  // largest trial
};

inline Summary Summarise(std::vector<double> values) {
    Summary s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.low = values.front();
    s.high = values.back();
    return s;
}

// One line of the results table.
struct Figure {
    Figure(std::string number_, std::string name_, std::string baseline_, std::string target_)
        : number(std::move(number_)),
          name(std::move(name_)),
          baseline(std::move(baseline_)),
          target(std::move(target_)),
          hasBaseline(baseline != "-") {}
    std::string number;
    std::string name;
    std::string baseline;
    std::string target;
    Summary ratio;           // subject / baseline per trial
    Summary subjectMs;       // milliseconds per subject call
    Summary baselineMs;      // milliseconds per baseline call
    long subjectCalls = 0;   // per trial
    long baselineCalls = 0;  // per trial
    bool hasBaseline = true;
    bool judged = true;  // false: shown for reference, no target
    bool met = false;
    // Empty when the timed work was seen done; otherwise what was missing.
    std::string notDone;
};

// Runs trials of subject and baseline, alternating which goes first; each
// side runs the calls that make its trial last at least minSeconds. setUp
// runs before each half, untimed, with true for the subject. The ratios are
// taken trial by trial.
inline void Compare(Figure& figure, int trials, double minSeconds, const std::function<void(bool)>& setUp,
                    const Side& subject, const Side& baseline) {
    setUp(true);
    figure.subjectCalls = CallsForTrial(subject, minSeconds);
    setUp(false);
    figure.baselineCalls = CallsForTrial(baseline, minSeconds);
    std::vector<double> ratios, subjectMs, baselineMs;
    for (int t = 0; t < trials; ++t) {
        double s = 0, b = 0;
        for (int half = 0; half < 2; ++half) {
            const bool subjectNow = (half == 0) == (t % 2 == 0);
            setUp(subjectNow);
            if (subjectNow) s = TimeCalls(subject, figure.subjectCalls) / static_cast<double>(figure.subjectCalls);
            else b = TimeCalls(baseline, figure.baselineCalls) / static_cast<double>(figure.baselineCalls);
        }
        ratios.push_back(b > 0 ? s / b : 0);
        subjectMs.push_back(s * 1000);
        baselineMs.push_back(b * 1000);
    }
    figure.ratio = Summarise(ratios);
    figure.subjectMs = Summarise(subjectMs);
    figure.baselineMs = Summarise(baselineMs);
}

// The same for a figure without a baseline.
inline void Measure(Figure& figure, int trials, double minSeconds, const std::function<void()>& setUp,
                    const Side& subject) {
    setUp();
    figure.subjectCalls = CallsForTrial(subject, minSeconds);
    std::vector<double> ms;
    for (int t = 0; t < trials; ++t) {
        setUp();
        ms.push_back(TimeCalls(subject, figure.subjectCalls) * 1000 / static_cast<double>(figure.subjectCalls));
    }
    figure.subjectMs = Summarise(ms);
}
