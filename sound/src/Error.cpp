#include <qxsound/Error.h>

#include <cstdio>

namespace qxsound {

namespace {

std::string Describe(int32_t code, const std::string& text) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return text + " (" + hex + ")";
}

}  // namespace

Error::Error(int32_t code, const std::string& text) : std::runtime_error(Describe(code, text)), code_(code), text_(text) {}

}  // namespace qxsound
