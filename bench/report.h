// Figures of the side-by-side benchmarks: samples of the program and of its baseline, taken in
// alternation, summed up as one row of the table scripts/bench prints.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double minimum(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// "88.1 ms (min 85.0)"
inline std::string figure(const std::vector<double>& v, const char* unit, int decimals) {
    char text[96];
    std::snprintf(text, sizeof(text), "%.*f %s (min %.*f)", decimals, median(v), unit, decimals,
                  minimum(v));
    return text;
}

// What a row must reach: a ratio of the medians, or an absolute ceiling on the program's median;
// neither for a row kept for the record.
struct Goal {
    double maxRatio = 0;
    double maxValue = 0;
    const char* text = "";
};

// One markdown row: | figure | program | baseline | ratio | goal |
inline void printRow(const char* what, const std::string& program, const std::string& baseline,
                     double programMedian, double baselineMedian, const Goal& goal) {
    const double ratio = baselineMedian > 0 ? programMedian / baselineMedian : 0;
    const bool measured = goal.maxRatio > 0 || goal.maxValue > 0;
    const bool met = (goal.maxRatio <= 0 || ratio <= goal.maxRatio) &&
                     (goal.maxValue <= 0 || programMedian <= goal.maxValue);
    std::printf("| %s | %s | %s | %.2fx | %s%s |\n", what, program.c_str(), baseline.c_str(), ratio,
                goal.text,
                !measured ? ""
                : met     ? ": met"
                          : ": MISSED");
    std::fflush(stdout);
}

inline void printRow(const char* what, const std::vector<double>& program,
                     const std::vector<double>& baseline, const char* unit, int decimals,
                     const Goal& goal) {
    if (program.empty() || baseline.empty()) {
        std::printf("| %s | no samples | no samples | - | %s: MISSED |\n", what, goal.text);
        std::fflush(stdout);
        return;
    }
    printRow(what, figure(program, unit, decimals), figure(baseline, unit, decimals),
             median(program), median(baseline), goal);
}

} // namespace bench
