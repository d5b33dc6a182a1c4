// Byte helpers for the wire: JSON string escaping, query escaping, room names, the two JSON
// scanners. Pure code: byte strings hold UTF-8, nothing here touches the platform.
#pragma once
#include <string>
#include <vector>

namespace corvanta {

// Escapes backslash, quote, LF, CR and tab for the inside of a JSON string literal.
std::string jsonEscape(const std::string& text);

// Percent-encodes every byte outside the RFC 3986 unreserved set (space becomes %20).
std::string queryEscape(const std::string& text);

// Letters, digits, '_' and '-' kept; '.', '@' and space become '_'; outer '_' trimmed; 64 bytes max.
std::string safeRoomPart(const std::string& text);

// The raw string value of the first key (in list order) that has a non-empty, terminated one.
// A key counts only where its quoted name is followed by a colon and an opening quote.
std::string extractJsonString(const std::string& json, const std::vector<std::string>& keys);

// Masks the string values of every secret key as "[redacted]". May mask more than needed,
// never less: the quoted key is matched in value position too.
std::string redactJsonSecrets(std::string json);

} // namespace corvanta
