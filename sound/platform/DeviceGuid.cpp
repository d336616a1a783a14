#include "DeviceGuid.h"

#include <uuid/uuid.h>

#include <cctype>

namespace qxsound::platform {

namespace {

// Namespace of the device GUIDs: every enumeration of the same device gives the same text.
const uuid_t kDeviceNamespace = {0x5a, 0x1e, 0x7c, 0x42, 0x93, 0x0b, 0x4d, 0x1f,
                                 0xa8, 0x2c, 0x61, 0xd4, 0x0e, 0x95, 0x3b, 0x77};

}  // namespace

std::string DeviceGuid(std::string_view kind, std::string_view name) {
    std::string text(kind);
    text += ':';
    text += name;
    uuid_t id;
    uuid_generate_sha1(id, kDeviceNamespace, text.data(), text.size());
    char out[37];
    uuid_unparse_upper(id, out);
    return "{" + std::string(out) + "}";
}

std::string NormalizeGuid(std::string_view guid) {
    std::string out(guid);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace qxsound::platform
