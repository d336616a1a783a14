#include "ImageFile.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace orvane::assets::visual::test {

Decoded Decode(const std::filesystem::path& file) {
    Decoded d;
    int comp = 0;
    unsigned char* data = stbi_load(file.string().c_str(), &d.width, &d.height, &comp, 3);
    if (!data) return {};
    d.rgb.assign(data, data + static_cast<size_t>(d.width) * d.height * 3);
    stbi_image_free(data);
    return d;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Distance(Pixel a, Pixel b) { return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}); }

}  // namespace orvane::assets::visual::test
