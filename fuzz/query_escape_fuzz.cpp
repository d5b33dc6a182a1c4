// queryEscape: the output holds only unreserved bytes and upper-case %XX, every escape stands for
// a byte that needed one, and decoding gives the input back.
#include "backend/text.h"
#include "property.h"

namespace {

int upperHexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using cvfuzz::require;
    const std::string input = cvfuzz::bytes(data, size);
    const std::string out = corvanta::queryEscape(input);
    std::string decoded;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c != '%') {
            require(cvfuzz::isUnreserved(c), "only unreserved bytes stand unescaped");
            decoded += out[i];
            continue;
        }
        require(i + 2 < out.size(), "every % is followed by two digits");
        const int high = upperHexValue(out[i + 1]);
        const int low = upperHexValue(out[i + 2]);
        require(high >= 0 && low >= 0, "escapes use upper-case hex digits");
        const auto byte = static_cast<unsigned char>(high * 16 + low);
        require(!cvfuzz::isUnreserved(byte), "an unreserved byte is never escaped");
        decoded += static_cast<char>(byte);
        i += 2;
    }
    require(decoded == input, "decoding gives the input");
    return 0;
}
