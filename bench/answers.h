// Answers of the size the exchange can return (a little over 128 KB), for the masking benchmarks.
#pragma once
#include <string>

namespace bench {

// A JSON list whose every record carries secrets next to plain fields.
inline std::string answerFullOfSecrets(std::size_t bytes) {
    std::string json = "[";
    for (int i = 0; json.size() < bytes; ++i) {
        json += "{\"id\":" + std::to_string(i) + ",\"name\":\"Kanal " + std::to_string(i) +
                "\",\"streamKey\":\"sk_live_abcdef\",\"apiSecret\":\"s3cr3t\",\"token\":\"t\"},";
    }
    json.back() = ']';
    return json;
}

// The unit repeated as often as it fits into the size.
inline std::string repeated(const std::string& unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes);
    while (text.size() + unit.size() <= bytes) {
        text += unit;
    }
    return text;
}

} // namespace bench
