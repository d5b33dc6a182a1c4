#include "backend/text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace corvanta {
namespace {

bool isAsciiAlnum(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string needleFor(const std::string& key) {
    return "\"" + key + "\"";
}

// Inside a string, the first unescaped quote in [from, to), or npos. A backslash escapes exactly
// one following byte; `escaped` carries that over from one stretch to the next. Adds the bytes
// it walked to `steps`.
std::size_t unescapedQuote(const std::string& text, std::size_t from, std::size_t to, bool& escaped,
                           std::size_t& steps) {
    for (std::size_t i = from; i < to; ++i) {
        if (escaped) {
            escaped = false;
        } else if (text[i] == '\\') {
            escaped = true;
        } else if (text[i] == '"') {
            steps += i + 1 - from;
            return i;
        }
    }
    steps += to > from ? to - from : 0;
    return std::string::npos;
}

// From the opening quote at q, the position of the closing quote, or npos when unterminated.
std::size_t closingQuote(const std::string& text, std::size_t q, std::size_t& steps) {
    bool escaped = false;
    return unescapedQuote(text, q + 1, text.size(), escaped, steps);
}

std::size_t closingQuote(const std::string& text, std::size_t q) {
    std::size_t steps = 0;
    return closingQuote(text, q, steps);
}

// text.find(c, from), adding the bytes it looked at to `steps`.
std::size_t findCounted(const std::string& text, char c, std::size_t from, std::size_t& steps) {
    const std::size_t at = text.find(c, from);
    const std::size_t stop = at == std::string::npos ? text.size() : at + 1;
    steps += stop > from ? stop - from : 0;
    return at;
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

constexpr std::array<std::string_view, 10> kSecretKeys = {
    "accessToken",  "access_token",  "token",    "streamJwt", "jwt",
    "refreshToken", "refresh_token", "password", "apiSecret", "secret"};

// The secret keys a quoted name starting with this letter can be, as indexes into kSecretKeys.
std::string_view keysStartingWith(char c) {
    switch (c) {
    case 'a':
        return std::string_view("\0\1\10", 3);
    case 't':
        return std::string_view("\2", 1);
    case 's':
        return std::string_view("\3\11", 2);
    case 'j':
        return std::string_view("\4", 1);
    case 'r':
        return std::string_view("\5\6", 2);
    case 'p':
        return std::string_view("\7", 1);
    default:
        return {};
    }
}

// True when the quote at q opens the quoted key: quote, key, quote.
bool isNeedleAt(const std::string& text, std::size_t q, std::string_view key) {
    return q + key.size() + 1 < text.size() && text[q + key.size() + 1] == '"' &&
           text.compare(q + 1, key.size(), key) == 0;
}

// The input as the loose pass has edited it so far, without editing it: each masked value is an
// interval of input bytes that stands for the ten bytes of the mask. The intervals are sorted and
// disjoint; an empty one is a "" value, shown as the mask between its quotes.
class MaskedText {
  public:
    struct Interval {
        std::size_t begin;
        std::size_t end;
    };

    MaskedText(const std::string& text, std::size_t& steps) : text_(text), steps_(steps) {}
    const std::vector<Interval>& intervals() const { return masked_; }

    // One key: find its quoted name, the next ':', the next '"', and mask up to the closing
    // quote; go on right after that quote. Searches see the edited text, never masked bytes.
    void maskLoosely(const std::vector<std::size_t>& needles, std::size_t needleSize) {
        std::vector<Interval> added;
        std::size_t from = 0;
        auto next = needles.begin();
        for (;;) {
            while (next != needles.end() && (*next < from || !isWhole(*next, needleSize))) {
                ++next;
                ++steps_;
            }
            if (next == needles.end()) {
                break;
            }
            const std::size_t colon = findShown(':', *next + needleSize);
            if (colon == std::string::npos) {
                break;
            }
            const std::size_t q = findShown('"', colon + 1);
            if (q == std::string::npos) {
                from = colon + 1;
                continue;
            }
            const std::size_t end = closingShown(q);
            if (end == std::string::npos) {
                break;
            }
            added.push_back({q + 1, end});
            from = end + 1;
        }
        merge(added);
    }

  private:
    // The first interval that ends after `at`; intervals' ends ascend like their starts.
    // A pass asks at ascending places, so the answer is found by walking on from the last one.
    std::vector<Interval>::const_iterator firstEndingAfter(std::size_t at) const {
        if (at < lastAsked_) {
            cursor_ = 0;
        }
        lastAsked_ = at;
        const std::size_t from = cursor_;
        while (cursor_ < masked_.size() && masked_[cursor_].end <= at) {
            ++cursor_;
        }
        steps_ += cursor_ - from + 1;
        return masked_.begin() + static_cast<std::ptrdiff_t>(cursor_);
    }

    // A needle is still in the edited text when no masked value cuts into it.
    bool isWhole(std::size_t at, std::size_t size) const {
        const auto i = firstEndingAfter(at);
        return i == masked_.end() || i->begin >= at + size;
    }

    // The mask holds neither ':' nor '"', so a byte is found only outside masked values.
    std::size_t findShown(char c, std::size_t from) const {
        for (std::size_t at = findCounted(text_, c, from, steps_); at != std::string::npos;
             at = findCounted(text_, c, from, steps_)) {
            const auto i = firstEndingAfter(at);
            if (i == masked_.end() || i->begin > at) {
                return at;
            }
            from = i->end;
        }
        return std::string::npos;
    }

    // Like closingQuote, with every masked value read as the mask: ten plain bytes.
    std::size_t closingShown(std::size_t q) const {
        auto next = firstEndingAfter(q);
        bool escaped = false;
        std::size_t i = q + 1;
        for (;;) {
            const std::size_t stop = next == masked_.end() ? text_.size() : next->begin;
            const std::size_t end = unescapedQuote(text_, i, stop, escaped, steps_);
            if (end != std::string::npos || next == masked_.end()) {
                return end;
            }
            escaped = false; // the mask's first byte took the escape, if any
            i = next->end;
            ++next;
            ++steps_;
        }
    }

    // A new value contains the earlier masks it was read over; those drop out.
    void merge(const std::vector<Interval>& added) {
        if (added.empty()) {
            return;
        }
        std::vector<Interval> all;
        all.reserve(masked_.size() + added.size());
        auto old = masked_.cbegin();
        for (const Interval& n : added) {
            for (; old != masked_.cend() && old->begin < n.begin; ++old) {
                all.push_back(*old);
            }
            for (; old != masked_.cend() && old->begin <= n.end && old->end <= n.end; ++old) {
            }
            all.push_back(n);
        }
        all.insert(all.end(), old, masked_.cend());
        steps_ += all.size();
        masked_ = std::move(all);
        cursor_ = 0;
        lastAsked_ = 0;
    }

    const std::string& text_;
    std::size_t& steps_;
    std::vector<Interval> masked_;
    mutable std::size_t cursor_ = 0;
    mutable std::size_t lastAsked_ = 0;
};

// What the bracket scans of one call may walk together: generous for small answers, linear for
// large ones. Secret values nested in secret values, or unclosed ones, would otherwise walk the
// same bytes once per key (a hostile 128 KB answer took a second). Once the budget is gone, a
// value is masked to the end: more than needed, never less.
std::size_t bracketBudgetFor(std::size_t length) {
    return 16 * length + (std::size_t{64} << 10);
}

// Index just past the bracket that closes the one at `open`, counting only brackets outside
// strings; the text's end when it never closes or the budget is gone.
std::size_t closingBracket(const std::string& text, std::size_t open, std::size_t& budget,
                           std::size_t& steps) {
    int depth = 0;
    std::size_t i = open;
    for (; i < text.size(); ++i) {
        if (i - open >= budget) {
            steps += i - open;
            budget = 0;
            return text.size();
        }
        const char c = text[i];
        if (c == '"') {
            const auto end = closingQuote(text, i);
            if (end == std::string::npos) {
                i = text.size();
                break;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            steps += i + 1 - open;
            budget -= std::min(budget, i + 1 - open);
            return i + 1;
        }
    }
    steps += i - open;
    budget -= std::min(budget, text.size() - open);
    return text.size();
}

bool endsValue(char c) {
    return c == ',' || c == '}' || c == ']' || isJsonSpace(c);
}

// Ends of unquoted values (number, literal, garbage). No byte inside a run ends a value, so a
// value that starts inside the last run found ends where that run ends: a run of `"jwt":x`,
// which once cost a walk to the end of the text per key, is walked once.
class UnquotedEnds {
  public:
    std::size_t from(const std::string& text, std::size_t v, std::size_t& steps) {
        if (v >= begin_ && v < end_) {
            ++steps;
            return end_;
        }
        std::size_t end = v;
        while (end < text.size() && !endsValue(text[end])) {
            ++end;
        }
        steps += end - v + 1;
        begin_ = v;
        end_ = end;
        return end;
    }

  private:
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

std::size_t skipBlanks(const std::string& text, std::size_t i, std::size_t& steps) {
    const std::size_t from = i;
    while (i < text.size() && isJsonSpace(text[i])) {
        ++i;
    }
    steps += i - from + 1;
    return i;
}

// The value that follows a key (blanks, ':', blanks), as the span that masks it: a string's
// content, or any other value whole. null is left, as nothing to hide. A value cut off by the
// end of the text is masked to the end.
std::optional<SecretSpan> valueSpanAfterKey(const std::string& text, std::size_t afterKey,
                                            std::size_t& budget, UnquotedEnds& unquoted,
                                            std::size_t& steps) {
    std::size_t v = skipBlanks(text, afterKey, steps);
    if (v >= text.size() || text[v] != ':') {
        return std::nullopt;
    }
    v = skipBlanks(text, v + 1, steps);
    if (v >= text.size()) {
        return std::nullopt;
    }
    if (text[v] == '"') {
        // No two string values overlap, so these scans walk each byte once.
        const auto end = closingQuote(text, v, steps);
        return SecretSpan{v + 1, end == std::string::npos ? text.size() : end, false};
    }
    if (text[v] == '{' || text[v] == '[') {
        return SecretSpan{v, closingBracket(text, v, budget, steps), true};
    }
    const std::size_t end = unquoted.from(text, v, steps);
    if (end == v || text.compare(v, end - v, "null") == 0) {
        return std::nullopt;
    }
    return SecretSpan{v, end, true};
}

// Adds a span that starts no earlier than the last one; overlapping spans are joined, and the
// first of a joined group says how it is written.
void addInOrder(std::vector<SecretSpan>& spans, const SecretSpan& span) {
    if (!spans.empty() && (span.begin < spans.back().end || span.begin == spans.back().begin)) {
        spans.back().end = std::max(spans.back().end, span.end);
    } else {
        spans.push_back(span);
    }
}

} // namespace

std::string jsonEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                // Raw control bytes make the body invalid JSON.
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0x0F];
                out += hex[c & 0x0F];
            } else {
                out += c;
            }
            break;
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

SecretScan scanSecrets(const std::string& json) {
    SecretScan scan;
    std::size_t& steps = scan.steps;
    struct Needle {
        std::size_t at;
        std::size_t key;
    };
    std::vector<Needle> needles; // every quoted secret key name, in text order
    std::array<std::vector<std::size_t>, kSecretKeys.size()> byKey;
    for (auto q = findCounted(json, '"', 0, steps); q != std::string::npos;
         q = findCounted(json, '"', q + 1, steps)) {
        if (q + 1 >= json.size()) {
            break;
        }
        for (const char index : keysStartingWith(json[q + 1])) {
            const auto k = static_cast<std::size_t>(index);
            steps += kSecretKeys[k].size();
            if (isNeedleAt(json, q, kSecretKeys[k])) {
                needles.push_back({q, k});
                byKey[k].push_back(q);
            }
        }
    }
    if (needles.empty()) {
        return scan;
    }

    // The loose pass, key by key on the text as the earlier keys left it: its masked values are
    // kept as intervals of the input, so nothing is copied and nothing shifts.
    MaskedText loose(json, steps);
    for (std::size_t k = 0; k < kSecretKeys.size(); ++k) {
        loose.maskLoosely(byKey[k], kSecretKeys[k].size() + 2);
    }
    // A value right after its key is masked whatever its type. Keys come in text order, so these
    // spans come sorted too, and the two sorted lists are merged in one walk.
    std::vector<SecretSpan>& spans = scan.spans;
    spans.reserve(loose.intervals().size() + needles.size());
    auto interval = loose.intervals().begin();
    const auto intervalsEnd = loose.intervals().end();
    const auto addLooseBefore = [&](const SecretSpan* limit) {
        for (; interval != intervalsEnd &&
               (limit == nullptr || interval->begin < limit->begin ||
                (interval->begin == limit->begin && interval->end > limit->end));
             ++interval, ++steps) {
            addInOrder(spans, {interval->begin, interval->end, false});
        }
    };
    std::size_t bracketBudget = bracketBudgetFor(json.size());
    UnquotedEnds unquoted;
    for (const auto& needle : needles) {
        if (const auto span =
                valueSpanAfterKey(json, needle.at + kSecretKeys[needle.key].size() + 2,
                                  bracketBudget, unquoted, steps)) {
            addLooseBefore(&*span);
            addInOrder(spans, *span);
        }
    }
    addLooseBefore(nullptr);
    return scan;
}

std::size_t maskerStepBound(std::size_t length) {
    return bracketBudgetFor(length) + 48 * length + 64;
}

std::vector<SecretSpan> secretSpans(const std::string& json) {
    return scanSecrets(json).spans;
}

std::string redactJsonSecrets(std::string json) {
    static constexpr std::string_view kMask = "[redacted]";
    const std::vector<SecretSpan> spans = secretSpans(json);
    if (spans.empty()) {
        return json;
    }
    std::string out;
    out.reserve(json.size() + spans.size() * (kMask.size() + 2));
    std::size_t copied = 0;
    for (const auto& span : spans) {
        out.append(json, copied, span.begin - copied);
        if (span.whole) {
            out += '"';
            out += kMask;
            out += '"';
        } else {
            out += kMask;
        }
        copied = span.end;
    }
    out.append(json, copied, std::string::npos);
    return out;
}

std::string shownBody(const std::string& body) {
    constexpr std::size_t kShownBytes = 12000;
    // Mask first, so a secret that straddles the cut is still hidden as a whole.
    std::string shown = redactJsonSecrets(body);
    if (shown.size() > kShownBytes) {
        shown.resize(kShownBytes);
        shown += "\n\n... gekuerzt ...";
    }
    return shown;
}

} // namespace corvanta
