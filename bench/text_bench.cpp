// Throughput of the JSON scanners on answers of the size the exchange can return (128 KB).
// Prints figures; asserts nothing.
#include "answers.h"
#include "backend/text.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace corvanta;

namespace {

template <typename F> double millisPerCall(int calls, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
        f();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

} // namespace

int main() {
    const std::string answer = bench::answerFullOfSecrets(128000);
    const std::vector<std::string> keys = {"accessToken", "access_token", "token", "streamJwt",
                                           "jwt"};
    std::size_t sink = 0;
    const double redact = millisPerCall(50, [&] { sink += redactJsonSecrets(answer).size(); });
    const double extract = millisPerCall(200, [&] { sink += extractJsonString(answer, keys).size(); });
    const double escape = millisPerCall(200, [&] { sink += jsonEscape(answer).size(); });
    std::printf("answer: %zu bytes\n", answer.size());
    std::printf("redactJsonSecrets: %.3f ms per call\n", redact);
    std::printf("extractJsonString: %.3f ms per call\n", extract);
    std::printf("jsonEscape:        %.3f ms per call\n", escape);
    return sink == 0 ? 1 : 0;
}
