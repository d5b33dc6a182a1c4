// Placeholder until origin validation lands.
#include "backend/origin.h"

#include "backend/contract.h"

namespace corvanta {

OriginChoice chooseOrigin(const std::wstring& override) {
    return {contract::kOrigin, !override.empty()};
}

} // namespace corvanta
