// extractJsonString: a value it returns really follows one of its keys: the quoted key, blanks,
// ':', blanks and '"', then the value up to an unescaped closing quote.
// Input: the JSON text, looked up with the login keys; or "#k1,k2,...\n" and then the text.
#include "backend/text.h"
#include "property.h"

#include <vector>

namespace {

bool followsKey(const std::string& text, const std::string& key, const std::string& value) {
    const std::string needle = "\"" + key + "\"";
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        std::size_t i = at + needle.size();
        while (i < text.size() && cvfuzz::isJsonBlank(text[i])) {
            ++i;
        }
        if (i >= text.size() || text[i] != ':') {
            continue;
        }
        ++i;
        while (i < text.size() && cvfuzz::isJsonBlank(text[i])) {
            ++i;
        }
        if (i < text.size() && text[i] == '"' && text.compare(i + 1, value.size(), value) == 0 &&
            cvfuzz::closingQuote(text, i) == i + 1 + value.size()) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text = cvfuzz::bytes(data, size);
    std::vector<std::string> keys = {"accessToken", "access_token", "token", "streamJwt", "jwt"};
    if (!text.empty() && text.front() == '#') {
        const std::size_t lineEnd = text.find('\n');
        const std::string list =
            text.substr(1, lineEnd == std::string::npos ? lineEnd : lineEnd - 1);
        text = lineEnd == std::string::npos ? std::string() : text.substr(lineEnd + 1);
        keys.clear();
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = list.find(',', start);
            keys.push_back(list.substr(start, comma == std::string::npos ? comma : comma - start));
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }

    const std::string value = corvanta::extractJsonString(text, keys);
    if (value.empty()) {
        return 0;
    }
    bool found = false;
    for (const auto& key : keys) {
        found = found || followsKey(text, key, value);
    }
    cvfuzz::require(found, "the value follows one of the keys, ':' and an opening quote");
    return 0;
}
