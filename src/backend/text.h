// Byte helpers for the wire: JSON string escaping, query escaping, room names, the two JSON
// scanners. Pure code: byte strings hold UTF-8, nothing here touches the platform.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace corvanta {

// Escapes backslash, quote and control bytes (LF, CR and tab by name, others as \u00XX) for the
// inside of a JSON string literal.
std::string jsonEscape(const std::string& text);

// Percent-encodes every byte outside the RFC 3986 unreserved set (space becomes %20).
std::string queryEscape(const std::string& text);

// Letters, digits, '_' and '-' kept; '.', '@' and space become '_'; outer '_' trimmed; 64 bytes
// max.
std::string safeRoomPart(const std::string& text);

// The raw string value of the first key (in list order) that has a non-empty, terminated one.
// A key counts only where its quoted name is followed by a colon and an opening quote.
std::string extractJsonString(const std::string& json, const std::vector<std::string>& keys);

// One masked part of a text. Content bytes [begin, end) are shown as [redacted]; a whole value
// (number, literal, object, array) as "[redacted]" with quotes. begin == end is an empty string
// value, still shown as [redacted].
struct SecretSpan {
    std::size_t begin;
    std::size_t end;
    bool whole;
};

// What redactJsonSecrets masks, sorted and disjoint, in positions of the given text: every value
// of a secret key whatever its type (null stays), and every quoted text that follows a quoted
// secret key name, its next ':' and its next '"', wherever that name stands.
std::vector<SecretSpan> secretSpans(const std::string& json);

// secretSpans with the bytes its scans walked, every find and every loop counted. The count
// stays within a fixed multiple of the text's length for any text: a Refresh must never stall
// the window on a hostile answer (the fuzz target holds the masker to that).
struct SecretScan {
    std::vector<SecretSpan> spans;
    std::size_t steps = 0;
};
SecretScan scanSecrets(const std::string& json);
// The most steps scanSecrets may take on a text of this length.
std::size_t maskerStepBound(std::size_t length);

// The text with every span of secretSpans masked. May mask more than needed, never less.
std::string redactJsonSecrets(std::string json);

// An answer body as the reports show it: masked, then cut after 12000 bytes with a note. The
// output box is a plain edit control, which grows slow with long text.
std::string shownBody(const std::string& body);

} // namespace corvanta
