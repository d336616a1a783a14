#include "Image.h"

#include "Engine3D.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

namespace quarvex::detail {

namespace {
struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
}  // namespace

Image LoadImageFile(const std::string& path, const std::string& shownName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw EngineError("Cannot load \"" + shownName + "\": the file " + path + " does not exist");
    }
    SurfacePtr loaded(IMG_Load(path.c_str()));
    if (!loaded) {
        throw EngineError("Cannot load \"" + shownName + "\" (" + path +
                          "): not a readable image: " + IMG_GetError());
    }
    SurfacePtr rgba(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGBA32, 0));
    if (!rgba || rgba->w <= 0 || rgba->h <= 0) {
        throw EngineError("Cannot load \"" + shownName + "\" (" + path + "): " + SDL_GetError());
    }
    Image image;
    image.width = rgba->w;
    image.height = rgba->h;
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(image.Pixel(0, y), static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch,
                    static_cast<size_t>(image.width) * 4);
    }
    return image;
}

void LoadImageDecoders() {
    static std::once_flag once;
    std::call_once(once, [] { IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG); });
}

void ReleaseImageThread() { SDL_TLSCleanup(); }

namespace {
// Source sample positions for output positions 0..count-1: the two texels and the weight of the
// second. Clamped at the edges, or wrapped round for a tiling image.
struct Taps {
    std::vector<int> first, second;
    std::vector<float> weight;
};

Taps MakeTaps(int sourceSize, int count, bool wrap) {
    Taps taps;
    const float step = static_cast<float>(sourceSize) / count;
    for (int i = 0; i < count; ++i) {
        float f = (i + 0.5f) * step - 0.5f;
        int a, b;
        if (wrap) {
            const float base = std::floor(f);
            a = static_cast<int>(base);
            f -= base;
            b = (a + 1) % sourceSize;
            a = (a % sourceSize + sourceSize) % sourceSize;
        } else {
            f = std::clamp(f, 0.0f, sourceSize - 1.0f);
            a = static_cast<int>(f);
            b = std::min(a + 1, sourceSize - 1);
            f -= static_cast<float>(a);
        }
        taps.first.push_back(a);
        taps.second.push_back(b);
        taps.weight.push_back(f);
    }
    return taps;
}
}  // namespace

std::vector<uint8_t> HalveSize(const uint8_t* pixels, int width, int height, int channels) {
    const int w = std::max(width / 2, 1), h = std::max(height / 2, 1);
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * channels);
    const size_t row = static_cast<size_t>(width) * channels;
    for (int y = 0; y < h; ++y) {
        const uint8_t* top = pixels + static_cast<size_t>(std::min(2 * y, height - 1)) * row;
        const uint8_t* bottom = pixels + static_cast<size_t>(std::min(2 * y + 1, height - 1)) * row;
        uint8_t* target = &out[static_cast<size_t>(y) * w * channels];
        for (int x = 0; x < w; ++x) {
            const size_t left = static_cast<size_t>(std::min(2 * x, width - 1)) * channels;
            const size_t right = static_cast<size_t>(std::min(2 * x + 1, width - 1)) * channels;
            for (int c = 0; c < channels; ++c) {
                const int sum = top[left + c] + top[right + c] + bottom[left + c] + bottom[right + c];
                *target++ = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return out;
}

Image Resample(const Image& src, int width, int height, bool wrap) {
    Image out;
    out.width = width;
    out.height = height;
    out.rgba.resize(static_cast<size_t>(width) * height * 4);
    const Taps xs = MakeTaps(src.width, width, wrap), ys = MakeTaps(src.height, height, wrap);
    for (int y = 0; y < height; ++y) {
        const float ty = ys.weight[y];
        for (int x = 0; x < width; ++x) {
            const float tx = xs.weight[x];
            const uint8_t* p00 = src.Pixel(xs.first[x], ys.first[y]);
            const uint8_t* p10 = src.Pixel(xs.second[x], ys.first[y]);
            const uint8_t* p01 = src.Pixel(xs.first[x], ys.second[y]);
            const uint8_t* p11 = src.Pixel(xs.second[x], ys.second[y]);
            uint8_t* d = out.Pixel(x, y);
            const float w00 = (1 - tx) * (1 - ty), w10 = tx * (1 - ty), w01 = (1 - tx) * ty, w11 = tx * ty;
            if (p00[3] == p10[3] && p00[3] == p01[3] && p00[3] == p11[3]) {
                for (int c = 0; c < 4; ++c) {
                    const float top = p00[c] * (1 - tx) + p10[c] * tx;
                    const float bottom = p01[c] * (1 - tx) + p11[c] * tx;
                    d[c] = static_cast<uint8_t>(top * (1 - ty) + bottom * ty + 0.5f);
                }
                continue;
            }
            // Where opacity varies, colours are weighted by it: a transparent pixel's colour
            // (a colour key's black, say) must not darken the edge of what stays visible.
            const float a00 = w00 * p00[3], a10 = w10 * p10[3], a01 = w01 * p01[3], a11 = w11 * p11[3];
            const float alpha = a00 + a10 + a01 + a11;
            for (int c = 0; c < 3; ++c) {
                const float sum = alpha > 0.0f ? (p00[c] * a00 + p10[c] * a10 + p01[c] * a01 + p11[c] * a11) / alpha
                                               : p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11;
                d[c] = static_cast<uint8_t>(std::min(sum + 0.5f, 255.0f));
            }
            d[3] = static_cast<uint8_t>(std::min(alpha + 0.5f, 255.0f));
        }
    }
    return out;
}

void ApplyColorKey(Image& image, uint32_t keyArgb, int tolerance) {
    const int kr = (keyArgb >> 16) & 0xFF, kg = (keyArgb >> 8) & 0xFF, kb = keyArgb & 0xFF;
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        uint8_t* p = &image.rgba[i];
        if (std::abs(p[0] - kr) <= tolerance && std::abs(p[1] - kg) <= tolerance &&
            std::abs(p[2] - kb) <= tolerance) {
            p[3] = 0;
        }
    }
}

void SaveBmp(const Image& image, const std::string& path) {
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, image.width, image.height, 24,
                                                      SDL_PIXELFORMAT_BGR24));
    if (!surface) throw EngineError("Cannot write the screenshot " + path + ": " + SDL_GetError());
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.Pixel(x, y);
            row[x * 3 + 0] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    if (SDL_SaveBMP(surface.get(), path.c_str()) != 0) {
        throw EngineError("Cannot write the screenshot " + path + ": " + SDL_GetError());
    }
}

}  // namespace quarvex::detail
