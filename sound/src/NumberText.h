// Reading numbers written as text in files and device replies.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qxsound {

// A decimal number with optional surrounding spaces, sign and fraction, rounded to the nearest
// int32 (halves to even); std::nullopt for anything else or a value outside int32.
std::optional<int32_t> TextToInt32(std::string_view text);

}  // namespace qxsound
