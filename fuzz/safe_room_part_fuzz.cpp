// safeRoomPart: at most 64 bytes of A-Za-z0-9_-, never a leading '_', a trailing '_' only when the
// 64-byte cut made it, and empty only when the input held no letter, digit or '-'.
#include "backend/text.h"
#include "property.h"

namespace {

bool isAsciiAlnum(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using cvfuzz::require;
    const std::string input = cvfuzz::bytes(data, size);
    const std::string out = corvanta::safeRoomPart(input);
    require(out.size() <= 64, "at most 64 bytes");
    for (const char ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        require(isAsciiAlnum(c) || c == '_' || c == '-', "only A-Za-z0-9_-");
    }
    require(out.empty() || out.front() != '_', "no leading '_'");
    require(out.empty() || out.back() != '_' || out.size() == 64, "no trailing '_' below the cut");
    bool keepsSomething = false;
    for (const char ch : input) {
        const auto c = static_cast<unsigned char>(ch);
        keepsSomething = keepsSomething || isAsciiAlnum(c) || c == '-';
    }
    require(out.empty() != keepsSomething, "empty exactly when nothing survives the filter");
    return 0;
}
