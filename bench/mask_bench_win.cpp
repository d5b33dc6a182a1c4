// Masking a large answer against widening the same bytes to UTF-16 (the step every answer takes
// on its way into the output box), alternating, on answers full of secrets and on the
// adversarial runs of bare `"jwt":"` keys, of secret arrays that never close and of unquoted
// secret values; the 256 KB cases show whether the cost is linear.
#include "answers.h"
#include "backend/text.h"
#include "backend/text_win.h"
#include "report.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::size_t g_sink = 0;

// Milliseconds per call: calls repeat until 20 ms have passed (at least one call).
template <typename F> double perCall(F&& f) {
    const double t0 = bench::nowMs();
    int calls = 0;
    double spent = 0;
    do {
        g_sink += f();
        ++calls;
        spent = bench::nowMs() - t0;
    } while (spent < 20);
    return spent / calls;
}

struct Case {
    std::string what;
    std::string kind; // the same for the 128 KB and the 256 KB case
    std::string input;
    std::vector<double> mask, widen;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int pairs = argc > 1 ? _wtoi(argv[1]) : 7;
    std::vector<Case> cases;
    const std::string jwt = "\"jwt\":\"";
    const std::string open = "\"jwt\":[";
    cases.push_back(
        {"masking 128 KB full of secrets", "secrets", bench::answerFullOfSecrets(128000), {}, {}});
    cases.push_back(
        {"masking 256 KB full of secrets", "secrets", bench::answerFullOfSecrets(256000), {}, {}});
    cases.push_back(
        {"masking 128 KB of `\"jwt\":\"`", "`\"jwt\":\"`", bench::repeated(jwt, 128000), {}, {}});
    cases.push_back(
        {"masking 256 KB of `\"jwt\":\"`", "`\"jwt\":\"`", bench::repeated(jwt, 256000), {}, {}});
    cases.push_back(
        {"masking 128 KB of `\"jwt\":[`", "`\"jwt\":[`", bench::repeated(open, 128000), {}, {}});
    cases.push_back(
        {"masking 256 KB of `\"jwt\":[`", "`\"jwt\":[`", bench::repeated(open, 256000), {}, {}});
    // Unquoted values: a number, literal or garbage once made every key walk to the end.
    for (const char* unit : {"\"jwt\":x", "\"secret\":1"}) {
        const std::string kind = std::string("`") + unit + "`";
        for (const std::size_t kb : {128, 256}) {
            cases.push_back({"masking " + std::to_string(kb) + " KB of " + kind,
                             kind,
                             bench::repeated(unit, kb * 1000),
                             {},
                             {}});
        }
    }
    for (int i = 0; i < pairs; ++i) {
        for (Case& c : cases) {
            c.mask.push_back(perCall([&] { return corvanta::redactJsonSecrets(c.input).size(); }));
            c.widen.push_back(perCall([&] { return corvanta::widen(c.input).size(); }));
        }
        std::fprintf(stderr, "pair %d done\n", i + 1);
    }
    for (const Case& c : cases) {
        bench::printRow(c.what.c_str(), c.mask, c.widen, "ms", 3, bench::Goal{3, 0, "<= 3x widen"});
    }
    // Linear: twice the input, about twice the time (the ratio column is the masker's growth).
    for (std::size_t k = 0; k + 1 < cases.size(); k += 2) {
        const double growth = bench::median(cases[k + 1].mask) / bench::median(cases[k].mask);
        const double widenGrowth =
            bench::median(cases[k + 1].widen) / bench::median(cases[k].widen);
        char program[32], baseline[32], what[96];
        std::snprintf(program, sizeof(program), "x%.2f", growth);
        std::snprintf(baseline, sizeof(baseline), "widen x%.2f", widenGrowth);
        std::snprintf(what, sizeof(what), "%s: 256 KB over 128 KB", cases[k].kind.c_str());
        bench::printRow(what, program, baseline, growth, 1.0,
                        bench::Goal{0, 2.5, "<= x2.5 (linear)"});
    }
    return g_sink == 0 ? 1 : 0;
}
