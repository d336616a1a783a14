#include "NumberText.h"

#include <cmath>
#include <limits>

namespace qxsound {

std::optional<int32_t> TextToInt32(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Whole part exactly in 64 bits (stopping once it is out of range anyway), fraction for rounding.
    int64_t whole = 0;
    std::size_t i = 0, digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        if (whole <= (int64_t{1} << 40)) whole = whole * 10 + (text[i] - '0');
    int fractionDigit = -1;   // first digit after the point
    bool fractionRest = false;  // any non-zero digit after the first
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
            if (fractionDigit < 0)
                fractionDigit = text[i] - '0';
            else if (text[i] != '0')
                fractionRest = true;
        }
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    if (fractionDigit > 5 || (fractionDigit == 5 && (fractionRest || (whole & 1) != 0))) ++whole;
    if (negative) whole = -whole;
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(whole);
}

}  // namespace qxsound
