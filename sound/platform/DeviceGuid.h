// Stable GUID texts for OpenAL devices, which OpenAL itself names only by text.
#pragma once

#include <string>
#include <string_view>

namespace qxsound::platform {

// A name-based (SHA-1) UUID of `kind` and `name`, as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string DeviceGuid(std::string_view kind, std::string_view name);

// Upper-cases a GUID text so that texts differing only in letter case compare equal.
std::string NormalizeGuid(std::string_view guid);

}  // namespace qxsound::platform
