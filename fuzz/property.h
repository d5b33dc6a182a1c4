// What every fuzz target shares: failing a property stops the run like a crash, so libFuzzer
// saves the input and scripts/fuzz prints it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace cvfuzz {

inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", property);
        std::abort();
    }
}

inline std::string bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline bool isJsonBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// From the opening quote at q, the closing quote of a JSON string as the scanners read it (a
// backslash escapes one byte), or npos when unterminated. Kept apart from the program's own.
inline std::size_t closingQuote(const std::string& text, std::size_t q) {
    bool escaped = false;
    for (std::size_t i = q + 1; i < text.size(); ++i) {
        if (escaped) {
            escaped = false;
        } else if (text[i] == '\\') {
            escaped = true;
        } else if (text[i] == '"') {
            return i;
        }
    }
    return std::string::npos;
}

inline bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

} // namespace cvfuzz
