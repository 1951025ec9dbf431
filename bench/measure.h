// Timing of one figure: the subject and its baseline measured alternately in
// the same run, trial after trial, and summarised as the median ratio with its
// spread.
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

// Seconds that one call of body takes, run n times.
inline double TimeEach(long n, const std::function<void(long)>& body) {
    const double start = NowSeconds();
    for (long i = 0; i < n; ++i) body(i);
    return (NowSeconds() - start) / static_cast<double>(n);
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
        : number(std::move(number_)), name(std::move(name_)), baseline(std::move(baseline_)),
          target(std::move(target_)), hasBaseline(baseline != "-") {}
    std::string number;
    std::string name;
    std::string baseline;
    std::string target;
    Summary ratio;        // subject / baseline per trial
    Summary subjectMs;    // milliseconds per subject call
    Summary baselineMs;   // milliseconds per baseline call
    bool hasBaseline = true;
    bool judged = true;  // false: shown for reference, no target
    bool met = false;
};

// Runs trials of subject and baseline, alternating which goes first, each
// timed over n calls; the ratios are taken trial by trial. setUp runs before
// each half, untimed, with true for the subject.
inline void Compare(Figure& figure, int trials, long n, const std::function<void(bool)>& setUp,
                    const std::function<void(long)>& subject, const std::function<void(long)>& baseline) {
    std::vector<double> ratios, subjectMs, baselineMs;
    for (int t = 0; t < trials; ++t) {
        double s = 0, b = 0;
        for (int half = 0; half < 2; ++half) {
            const bool subjectNow = (half == 0) == (t % 2 == 0);
            setUp(subjectNow);
            (subjectNow ? s : b) = TimeEach(n, subjectNow ? subject : baseline);
        }
        ratios.push_back(b > 0 ? s / b : 0);
        subjectMs.push_back(s * 1000);
        baselineMs.push_back(b * 1000);
    }
    figure.ratio = Summarise(ratios);
    figure.subjectMs = Summarise(subjectMs);
    figure.baselineMs = Summarise(baselineMs);
}
