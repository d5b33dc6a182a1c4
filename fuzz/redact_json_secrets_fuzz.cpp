// redactJsonSecrets and secretSpans.
// Any input: the masker's counted steps stay within its linear bound.
// Any input: the spans are sorted, disjoint and inside the text; the masked text is exactly the
// spans applied; everything the literal key-by-key stepping masks (the reference below, run on
// the text as the earlier keys edited it) lies inside a span.
// Well-formed JSON generated from the input: no value of a secret key survives, whatever its
// type, and nothing is masked that is neither such a value nor masked by the reference.
#include "backend/text.h"
#include "property.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

using corvanta::SecretSpan;
using cvfuzz::require;

constexpr std::array<const char*, 10> kSecretKeys = {
    "accessToken",  "access_token",  "token",    "streamJwt", "jwt",
    "refreshToken", "refresh_token", "password", "apiSecret", "secret"};

// What the literal stepping masks, in positions of the original text.
struct Masked {
    std::vector<bool> bytes;          // original bytes replaced by the mask
    std::vector<std::size_t> empties; // positions of "" values replaced by the mask
};

// For each key in list order: find the quoted key from s, the next ':', the next '"', mask up to
// the closing quote, go on 12 bytes after the opening quote; no ':' or an unterminated value
// ends the key, no '"' goes on after the colon. Every byte of the edited text remembers which
// original byte it is (-1: a byte of an inserted mask).
Masked reference(const std::string& json) {
    Masked masked{std::vector<bool>(json.size(), false), {}};
    std::string text = json;
    std::vector<std::ptrdiff_t> origin(json.size());
    for (std::size_t i = 0; i < origin.size(); ++i) {
        origin[i] = static_cast<std::ptrdiff_t>(i);
    }
    for (const char* key : kSecretKeys) {
        const std::string needle = std::string("\"") + key + "\"";
        std::size_t s = 0;
        for (;;) {
            const std::size_t at = text.find(needle, s);
            if (at == std::string::npos) {
                break;
            }
            const std::size_t colon = text.find(':', at + needle.size());
            if (colon == std::string::npos) {
                break;
            }
            const std::size_t q = text.find('"', colon + 1);
            if (q == std::string::npos) {
                s = colon + 1;
                continue;
            }
            const std::size_t end = cvfuzz::closingQuote(text, q);
            if (end == std::string::npos) {
                break;
            }
            if (q + 1 == end) {
                masked.empties.push_back(static_cast<std::size_t>(origin[end]));
            }
            for (std::size_t i = q + 1; i < end; ++i) {
                if (origin[i] >= 0) {
                    masked.bytes[static_cast<std::size_t>(origin[i])] = true;
                }
            }
            text.replace(q + 1, end - q - 1, "[redacted]");
            origin.erase(origin.begin() + static_cast<std::ptrdiff_t>(q + 1),
                         origin.begin() + static_cast<std::ptrdiff_t>(end));
            origin.insert(origin.begin() + static_cast<std::ptrdiff_t>(q + 1), 10, -1);
            s = q + 12;
        }
    }
    return masked;
}

std::string applied(const std::string& json, const std::vector<SecretSpan>& spans) {
    std::string out;
    std::size_t copied = 0;
    for (const auto& span : spans) {
        out.append(json, copied, span.begin - copied);
        out += span.whole ? "\"[redacted]\"" : "[redacted]";
        copied = span.end;
    }
    return out + json.substr(copied);
}

// Whether a range of the text lies inside one span. An empty range is a place: inside a span or
// at one of its ends.
bool covers(const std::vector<SecretSpan>& spans, std::size_t begin, std::size_t end) {
    const auto after = std::partition_point(
        spans.begin(), spans.end(), [begin](const SecretSpan& s) { return s.begin <= begin; });
    return after != spans.begin() && end <= std::prev(after)->end;
}

// Checks for any text; returns the spans.
std::vector<SecretSpan> checkAnyText(const std::string& json, const Masked& ref) {
    const corvanta::SecretScan scan = corvanta::scanSecrets(json);
    // Counted, not timed, so a superlinear path fails on every machine alike.
    require(scan.steps <= corvanta::maskerStepBound(json.size()), "linear work");
    const std::vector<SecretSpan>& spans = scan.spans;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        require(spans[k].begin <= spans[k].end && spans[k].end <= json.size(), "inside the text");
        require(k == 0 || spans[k - 1].end <= spans[k].begin, "sorted and disjoint");
        require(k == 0 || spans[k - 1].begin != spans[k].begin, "no two spans at one place");
    }
    require(corvanta::redactJsonSecrets(json) == applied(json, spans), "the spans applied");
    for (std::size_t i = 0; i < json.size(); ++i) {
        require(!ref.bytes[i] || covers(spans, i, i + 1), "what the stepping masks stays masked");
    }
    for (const std::size_t p : ref.empties) {
        require(covers(spans, p, p), "an empty value the stepping masks stays masked");
    }
    return scan.spans;
}

// Well-formed JSON with secret keys among others, values of every type, blanks, and strings that
// hold quoted key names, colons and escapes. Remembers where every value lies.
class Generator {
  public:
    struct Value {
        std::size_t begin, end; // a string's content, any other value whole
        bool string, null;
    };

    explicit Generator(FuzzedDataProvider& in) : in_(in) { value(0); }

    std::string json;
    std::vector<Value> values;

  private:
    void blank() {
        static constexpr std::array<const char*, 6> kBlanks = {"", " ", "\n", "\t", "  ", "\r\n "};
        json += kBlanks[in_.ConsumeIntegralInRange<std::size_t>(0, kBlanks.size() - 1)];
    }

    std::string stringContent() {
        std::string out;
        for (int n = in_.ConsumeIntegralInRange(0, 4); n > 0; --n) {
            switch (in_.ConsumeIntegralInRange(0, 7)) {
            case 0:
                out += kSecretKeys[in_.ConsumeIntegralInRange<std::size_t>(0, 9)];
                break;
            case 1:
                out += std::string("\\\"") +
                       kSecretKeys[in_.ConsumeIntegralInRange<std::size_t>(0, 9)] + "\\\"";
                break;
            case 2:
                out += ':';
                break;
            case 3:
                out += "\\\\";
                break;
            case 4:
                out += "\\\"";
                break;
            case 5:
                out += in_.ConsumeBool() ? "\\u0041" : "\\n";
                break;
            case 6:
                out += "\xc3\xa9";
                break;
            default:
                for (char c : in_.ConsumeBytesAsString(in_.ConsumeIntegralInRange(0, 8))) {
                    const char plain = static_cast<char>(' ' + static_cast<unsigned char>(c) % 95);
                    out += plain == '"' || plain == '\\' ? 'x' : plain;
                }
                break;
            }
        }
        return out;
    }

    std::string key() {
        static constexpr std::array<const char*, 7> kOthers = {
            "user", "name", "id", "message", "Token", "tokens", "accessTokenX"};
        switch (in_.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return kSecretKeys[in_.ConsumeIntegralInRange<std::size_t>(0, 9)];
        case 1:
            return kOthers[in_.ConsumeIntegralInRange<std::size_t>(0, kOthers.size() - 1)];
        default:
            return stringContent();
        }
    }

    void value(int depth) {
        static constexpr std::array<const char*, 5> kNumbers = {"0", "-12", "3.5e7", "42", "1E-2"};
        const std::size_t start = json.size();
        const int kind = in_.ConsumeIntegralInRange(0, depth >= 4 ? 4 : 6);
        switch (kind) {
        case 0:
            json += '"' + stringContent() + '"';
            break;
        case 1:
            json += kNumbers[in_.ConsumeIntegralInRange<std::size_t>(0, kNumbers.size() - 1)];
            break;
        case 2:
            json += "true";
            break;
        case 3:
            json += "false";
            break;
        case 4:
            json += "null";
            break;
        default: {
            const bool object = kind == 5;
            json += object ? '{' : '[';
            for (int n = in_.ConsumeIntegralInRange(0, 4), i = 0; i < n; ++i) {
                json += i > 0 ? "," : "";
                blank();
                if (object) {
                    json += '"' + key() + '"';
                    blank();
                    json += ':';
                    blank();
                }
                value(depth + 1);
                blank();
            }
            json += object ? '}' : ']';
            break;
        }
        }
        if (kind == 0) {
            values.push_back({start + 1, json.size() - 1, true, false});
        } else {
            values.push_back({start, json.size(), false, kind == 4});
        }
    }

    FuzzedDataProvider& in_;
};

// A value stands in key position of a secret key when the bytes before it read: quote, secret
// key, quote, blanks, ':', blanks. Bytes, not JSON: a key whose name ends in \"token counts too.
bool followsSecretKey(const std::string& json, std::size_t valueStart) {
    std::size_t i = valueStart;
    while (i > 0 && cvfuzz::isJsonBlank(json[i - 1])) {
        --i;
    }
    if (i == 0 || json[--i] != ':') {
        return false;
    }
    while (i > 0 && cvfuzz::isJsonBlank(json[i - 1])) {
        --i;
    }
    for (const std::string key : kSecretKeys) {
        const std::string needle = '"' + key + '"';
        if (i >= needle.size() && json.compare(i - needle.size(), needle.size(), needle) == 0) {
            return true;
        }
    }
    return false;
}

// A failure on generated JSON shows the text and the spans, since the raw input says little.
void describe(const std::string& json, const std::vector<SecretSpan>& spans) {
    std::fprintf(stderr, "generated: %s\nspans:", json.c_str());
    for (const auto& span : spans) {
        std::fprintf(stderr, " [%zu,%zu%s)", span.begin, span.end, span.whole ? " whole" : "");
    }
    std::fprintf(stderr, "\n");
}

void checkGenerated(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const Generator g(in);
    const Masked ref = reference(g.json);
    const std::vector<SecretSpan> spans = corvanta::secretSpans(g.json);
    auto require = [&](bool holds, const char* property) {
        if (!holds) {
            describe(g.json, spans);
        }
        cvfuzz::require(holds, property);
    };
    checkAnyText(g.json, ref);

    std::vector<bool> secretByte(g.json.size(), false);
    std::vector<std::size_t> secretEmpties;
    for (const auto& v : g.values) {
        if (v.null || !followsSecretKey(g.json, v.string ? v.begin - 1 : v.begin)) {
            continue;
        }
        require(covers(spans, v.begin, v.end), "no value of a secret key survives");
        // Masked on its own, a string keeps its quotes and any other value gets them.
        const auto own = std::find_if(spans.begin(), spans.end(), [&](const SecretSpan& s) {
            return s.begin == v.begin && s.end == v.end;
        });
        require(own == spans.end() || own->whole != v.string, "the mask is a JSON string");
        for (std::size_t i = v.begin; i < v.end; ++i) {
            secretByte[i] = true;
        }
        if (v.begin == v.end) {
            secretEmpties.push_back(v.begin);
        }
    }
    for (const auto& span : spans) {
        for (std::size_t i = span.begin; i < span.end; ++i) {
            require(secretByte[i] || ref.bytes[i],
                    "only secret values and what the stepping masks");
        }
        if (span.begin == span.end) {
            bool known = false;
            for (const std::size_t p : secretEmpties) {
                known = known || p == span.begin;
            }
            for (const std::size_t p : ref.empties) {
                known = known || p == span.begin;
            }
            require(known, "an empty span is an empty secret or one the stepping masks");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = cvfuzz::bytes(data, size);
    checkAnyText(text, reference(text));
    checkGenerated(data, size);
    return 0;
}
