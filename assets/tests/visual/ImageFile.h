// Decoding helpers for the visual data tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::assets::visual::test {

inline const std::filesystem::path kDataDir = ORVANE_DATA_DIR;

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool operator==(const Pixel&) const = default;
};

struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool Valid() const { return width > 0 && height > 0; }
    Pixel At(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

Decoded Decode(const std::filesystem::path& file);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& file);
int Distance(Pixel a, Pixel b);  // largest channel difference

}  // namespace orvane::assets::visual::test
