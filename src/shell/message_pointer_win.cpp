#include "shell/message_pointer.h"

#include <cstdint>

namespace corvanta {

// Out of line, so that this frame lies below every frame of its callers. The stack above it is
// one committed region, up to the stack's base.
bool onCallersStack(LPARAM value, std::size_t size) noexcept {
    volatile char here = 0;
    MEMORY_BASIC_INFORMATION stack{};
    if (VirtualQuery(const_cast<char*>(&here), &stack, sizeof(stack)) != sizeof(stack)) {
        return false;
    }
    const auto begin = static_cast<std::uintptr_t>(value);
    const auto bottom = reinterpret_cast<std::uintptr_t>(&here);
    const auto top = reinterpret_cast<std::uintptr_t>(stack.BaseAddress) + stack.RegionSize;
    return begin > bottom && begin < top && size <= top - begin;
}

} // namespace corvanta
