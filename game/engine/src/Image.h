// Pixels in memory: 8-bit RGBA, rows from the top. Loading and saving go through SDL2_image/SDL2,
// which need no display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarvex::detail {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4

    uint8_t* Pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t* Pixel(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
};

// Reads an image file; throws EngineError naming the file when it is missing or not an image.
Image LoadImageFile(const std::string& path, const std::string& shownName);
// Readies the image library's decoders, after which LoadImageFile may run on several threads.
void LoadImageDecoders();
// Frees what the image library keeps for the calling thread: for a thread of its own that has
// decoded and ends (never the display's thread).
void ReleaseImageThread();
// Bilinear resampling to width x height; with wrap the image is taken to tile (its right edge
// meets its left, its bottom its top), otherwise its edges are clamped. Colours are weighted by
// opacity, so transparent pixels lend no colour to their visible neighbours.
Image Resample(const Image& image, int width, int height, bool wrap = false);
// The next mip level of `channels`-byte pixels: each side halved (to no less than 1), every
// pixel the rounded mean of the two by two pixels under it (one row or column at an odd edge).
std::vector<uint8_t> HalveSize(const uint8_t* pixels, int width, int height, int channels);
// Pixels whose RGB matches key's RGB (within tolerance per channel) get alpha 0.
void ApplyColorKey(Image& image, uint32_t keyArgb, int tolerance);
// Writes a 24-bit BMP; throws EngineError on failure.
void SaveBmp(const Image& image, const std::string& path);

}  // namespace quarvex::detail
