// Benchmarks of Tessel2U: what its interceptions and decorations cost the
// host. Loads the stand-in runtime and the library as a PowerBuilder
// application does, measures every figure against its baseline in the same
// run, prints a table and, with --results FILE, writes it as Markdown.
//
//   bench.exe [--trials N] [--trial-ms N] [--results FILE] [--only 1,6,2,3,4,5]
//   bench.exe --breakdown          what each step of an attach and each
//                                  decoration of a repaint cost
//   bench.exe --profile SCENARIO   the most frequent stack frames of one
//                                  scenario (attach, repaint, hover,
//                                  selection, icons), x86_64 builds
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "figures.h"
#include "runtime_host.h"
#include "tessel_api.h"

namespace {

std::string Format(const char* format, double a, double b, double c) {
    char text[96];
    snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string RatioText(const Figure& f) {
    return f.hasBaseline ? Format("%.2fx (%.2f-%.2f)", f.ratio.median, f.ratio.low, f.ratio.high) : "-";
}

std::string TimeText(const Summary& s) { return Format("%.4f (%.4f-%.4f)", s.median, s.low, s.high); }

std::string CallsText(const Figure& f) {
    std::string text = std::to_string(f.subjectCalls);
    if (f.hasBaseline) text += " / " + std::to_string(f.baselineCalls);
    return text;
}

std::string Table(const std::vector<Figure>& figures) {
    std::string out =
        "| # | figure | baseline | ratio: median (min-max) | ms per call, subject | ms per call, baseline | calls per "
        "trial | target | met |\n"
        "|---|---|---|---|---|---|---|---|---|\n";
    for (const Figure& f : figures) {
        out += "| " + f.number + " | " + f.name + " | " + f.baseline + " | " + RatioText(f) + " | " +
               TimeText(f.subjectMs) + " | " + (f.hasBaseline ? TimeText(f.baselineMs) : std::string("-")) + " | " +
               CallsText(f) + " | " + f.target + " | " +
               (!f.notDone.empty() ? "NOT DONE: " + f.notDone
                : !f.judged        ? "-"
                : f.met            ? "yes"
                                   : "NO") +
               " |\n";
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    BenchOptions options;
    std::wstring results;
    bool breakdown = false;
    std::wstring profile;
    std::wstring only;  // the groups of figures to run, by their numbers; all when empty
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--trials") == 0 && i + 1 < argc) options.trials = _wtoi(argv[++i]);
        else if (wcscmp(argv[i], L"--trial-ms") == 0 && i + 1 < argc) options.trialSeconds = _wtof(argv[++i]) / 1000;
        else if (wcscmp(argv[i], L"--results") == 0 && i + 1 < argc) results = argv[++i];
        else if (wcscmp(argv[i], L"--breakdown") == 0) breakdown = true;
        else if (wcscmp(argv[i], L"--only") == 0 && i + 1 < argc) only = argv[++i];
        else if (wcscmp(argv[i], L"--profile") == 0 && i + 1 < argc) profile = argv[++i];
    }
    if (options.trials < 1) options.trials = 1;
    if (options.trialSeconds < 0.001) options.trialSeconds = 0.001;

    RuntimeHost runtime;
    TesselApi tessel;
    if (!runtime.Load(105) || !tessel.Load(L"Tessel2U.dll")) {
        fprintf(stderr, "bench: the stand-in runtime or Tessel2U.dll could not be loaded\n");
        return 1;
    }
    std::vector<Figure> figures;
    {
        BenchHost host(runtime, tessel, options);
        if (!host.Ready()) {
            fprintf(stderr, "bench: no window or memory context\n");
            return 1;
        }
        if (!profile.empty()) return host.Profile(profile) ? 0 : 2;
        if (breakdown) {
            host.RepaintBreakdown();
            return 0;
        }
        auto wanted = [&only](wchar_t group) { return only.empty() || only.find(group) != std::wstring::npos; };
        if (wanted(L'1')) host.PlainCalls(figures);
        if (wanted(L'6')) host.StartAttachStop(figures);
        if (wanted(L'2')) host.Repaint(figures);
        if (wanted(L'3')) host.Mouse(figures);
        if (wanted(L'4')) host.RecordDescribe(figures);
        if (wanted(L'5')) host.IconText(figures);
    }
    const std::string table = Table(figures);
    bool allDone = true;
    for (const Figure& f : figures) allDone &= f.notDone.empty();
    fputs(table.c_str(), stdout);
    if (!results.empty()) {
        FILE* file = _wfopen(results.c_str(), L"wb");
        if (!file) {
            fprintf(stderr, "bench: cannot write the results file\n");
            return 1;
        }
        fprintf(file, "%d trials; each side of each trial runs at least %.0f ms.\n\n", options.trials,
                options.trialSeconds * 1000);
        fputs(table.c_str(), file);
        fclose(file);
    }
    if (!allDone) fprintf(stderr, "bench: the work of a figure was not seen done (NOT DONE in the table)\n");
    return allDone ? 0 : 3;
}
