// jsonEscape: for valid UTF-8 input, '"' + output + '"' is a valid JSON string that decodes to
// the input, control bytes included. For any input the output holds no raw control byte and no
// bare quote, and reading its escapes back gives the input byte for byte.
#include "backend/text.h"
#include "property.h"

#include <optional>

namespace {

// Length of the valid UTF-8 sequence at i (no overlong forms, no surrogates, at most U+10FFFF),
// or 0.
std::size_t utf8SequenceAt(const std::string& s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        return 1;
    }
    std::size_t n = 0;
    unsigned lo = 0x80, hi = 0xBF; // the allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) {
            return 0;
        }
    }
    return n;
}

bool isValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8SequenceAt(s, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<unsigned> hex4(const std::string& s, std::size_t i) {
    if (i + 4 > s.size()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t k = i; k < i + 4; ++k) {
        const char c = s[k];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

// A JSON string literal as RFC 8259 reads it. With `strict` the literal must also be valid UTF-8
// and \u escapes decode to code points (surrogates in pairs only); without it bytes of 0x80 and
// above stand for themselves and \u00XX for the byte XX.
std::optional<std::string> decodeJsonString(const std::string& literal, bool strict) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"' ||
        (strict && !isValidUtf8(literal))) {
        return std::nullopt;
    }
    const std::string body = literal.substr(1, literal.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto c = static_cast<unsigned char>(body[i]);
        if (c == '"' || c < 0x20) {
            return std::nullopt;
        }
        if (c != '\\') {
            out += body[i];
            continue;
        }
        if (++i >= body.size()) {
            return std::nullopt;
        }
        switch (body[i]) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case '/':
            out += '/';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            auto cp = hex4(body, i + 1);
            if (!cp) {
                return std::nullopt;
            }
            i += 4;
            if (!strict) {
                if (*cp > 0xFF) {
                    return std::nullopt;
                }
                out += static_cast<char>(*cp);
                break;
            }
            if (*cp >= 0xDC00 && *cp <= 0xDFFF) {
                return std::nullopt;
            }
            if (*cp >= 0xD800 && *cp <= 0xDBFF) {
                const auto low =
                    body.compare(i + 1, 2, "\\u") == 0 ? hex4(body, i + 3) : std::nullopt;
                if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                    return std::nullopt;
                }
                cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                i += 6;
            }
            appendUtf8(out, *cp);
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using cvfuzz::require;
    const std::string input = cvfuzz::bytes(data, size);
    const std::string literal = "\"" + corvanta::jsonEscape(input) + "\"";
    require(decodeJsonString(literal, false) == input, "the escapes read back give the input");
    if (isValidUtf8(input)) {
        require(decodeJsonString(literal, true) == input, "valid JSON that decodes to the input");
    }
    return 0;
}
