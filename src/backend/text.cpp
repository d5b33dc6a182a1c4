#include "backend/text.h"

namespace corvanta {
namespace {

bool isAsciiAlnum(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string needleFor(const std::string& key) { return "\"" + key + "\""; }

// From the opening quote at q, the position of the closing quote, or npos when unterminated.
// A backslash escapes exactly one following byte.
std::size_t closingQuote(const std::string& text, std::size_t q) {
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

// Position of the value's opening quote when the needle at `at` is a key followed by
// whitespace, ':', whitespace and '"'; npos otherwise.
std::size_t valueQuoteAfterKey(const std::string& text, std::size_t afterNeedle) {
    std::size_t i = afterNeedle;
    while (i < text.size() && isJsonSpace(text[i])) {
        ++i;
    }
    if (i >= text.size() || text[i] != ':') {
        return std::string::npos;
    }
    ++i;
    while (i < text.size() && isJsonSpace(text[i])) {
        ++i;
    }
    if (i >= text.size() || text[i] != '"') {
        return std::string::npos;
    }
    return i;
}

} // namespace

std::string jsonEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string queryEscape(const std::string& text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isAsciiAlnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::string safeRoomPart(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isAsciiAlnum(c) || c == '_' || c == '-') {
            out += static_cast<char>(c);
        } else if (c == '.' || c == '@' || c == ' ') {
            out += '_';
        }
    }
    const auto first = out.find_first_not_of('_');
    if (first == std::string::npos) {
        return {};
    }
    out = out.substr(first, out.find_last_not_of('_') - first + 1);
    if (out.size() > 64) {
        out.resize(64);
    }
    return out;
}

std::string extractJsonString(const std::string& json, const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
        const std::string needle = needleFor(key);
        std::size_t q = std::string::npos;
        for (auto at = json.find(needle); at != std::string::npos; at = json.find(needle, at + 1)) {
            q = valueQuoteAfterKey(json, at + needle.size());
            if (q != std::string::npos) {
                break;
            }
        }
        if (q == std::string::npos) {
            continue;
        }
        const auto end = closingQuote(json, q);
        if (end != std::string::npos && q + 1 < end) {
            return json.substr(q + 1, end - q - 1);
        }
    }
    return {};
}

std::string redactJsonSecrets(std::string json) {
    static const std::vector<std::string> secretKeys = {
        "accessToken", "access_token",  "token",    "streamJwt", "jwt",
        "refreshToken", "refresh_token", "password", "apiSecret", "secret"};
    static const std::string kMask = "[redacted]";
    // First every value that stands right after its key: the loose pass below can be thrown off
    // by a key in value position or a non-string value and mask the next key's name instead.
    for (const auto& key : secretKeys) {
        const std::string needle = needleFor(key);
        for (auto at = json.find(needle); at != std::string::npos; at = json.find(needle, at + 1)) {
            const auto q = valueQuoteAfterKey(json, at + needle.size());
            const auto end = q == std::string::npos ? q : closingQuote(json, q);
            if (end != std::string::npos) {
                json.replace(q + 1, end - q - 1, kMask);
            }
        }
    }
    for (const auto& key : secretKeys) {
        const std::string needle = needleFor(key);
        std::size_t s = 0;
        for (;;) {
            const auto at = json.find(needle, s);
            if (at == std::string::npos) {
                break;
            }
            const auto colon = json.find(':', at + needle.size());
            if (colon == std::string::npos) {
                break;
            }
            const auto q = json.find('"', colon + 1);
            if (q == std::string::npos) {
                s = colon + 1;
                continue;
            }
            const auto end = closingQuote(json, q);
            if (end == std::string::npos) {
                break;
            }
            json.replace(q + 1, end - q - 1, kMask);
            s = q + 12;
        }
    }
    return json;
}

} // namespace corvanta
