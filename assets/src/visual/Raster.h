// A small floating-point raster with anti-aliased shapes, masks and image file output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace orvane::assets::visual {

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator-(Color a, Color b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Color operator*(Color a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Color Mix(Color a, Color b, float t) { return a + (b - a) * t; }
Color Clamp01(Color c);
float Luma(Color c);

struct Vec2 {
    float x = 0, y = 0;
};

// Coverage or alpha values over a grid, used for text, glows and shape accumulation.
class Mask {
public:
    Mask(int width, int height) : w_(width), h_(height), v_(static_cast<size_t>(width) * height, 0.0f) {}
    int Width() const { return w_; }
    int Height() const { return h_; }
    float At(int x, int y) const { return (x < 0 || y < 0 || x >= w_ || y >= h_) ? 0.0f : v_[Index(x, y)]; }
    float& Ref(int x, int y) { return v_[Index(x, y)]; }
    void Max(int x, int y, float v);
    // Separable box blur repeated three times (close to a Gaussian of the given radius).
    void Blur(int radius);

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * w_ + x; }
    int w_, h_;
    std::vector<float> v_;
};

class Image {
public:
    Image(int width, int height, Color fill = {});
    int Width() const { return w_; }
    int Height() const { return h_; }
    Color& At(int x, int y) { return px_[Index(x, y)]; }
    const Color& At(int x, int y) const { return px_[Index(x, y)]; }
    float Alpha(int x, int y) const { return alpha_[Index(x, y)]; }
    float& AlphaRef(int x, int y) { return alpha_[Index(x, y)]; }
    void FillAlpha(float a);
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }

    // "Over" blending of colour c with opacity a; the alpha channel accumulates coverage.
    void Blend(int x, int y, Color c, float a);
    void Add(int x, int y, Color c, float a);
    // Bilinear sample with clamped (or wrapped) coordinates, in pixels.
    Color Sample(float x, float y, bool wrap = false) const;

    // Paints c where coverage(px, py) > 0 over the pixel rectangle [x0, x1) x [y0, y1);
    // coverage is evaluated at pixel centres.
    void Shade(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& coverage, Color c,
               float opacity = 1.0f);
    // Sets every pixel from a function of its centre.
    void Fill(const std::function<Color(float, float)>& f);
    void Composite(const Mask& m, const std::function<Color(int, int)>& colour, float opacity = 1.0f,
                   int dx = 0, int dy = 0, bool additive = false);

    void FillRect(float x0, float y0, float x1, float y1, Color c, float opacity = 1.0f);
    void FillRoundRect(float x0, float y0, float x1, float y1, float radius, Color c, float opacity = 1.0f);
    void StrokeRoundRect(float x0, float y0, float x1, float y1, float radius, float width, Color c,
                         float opacity = 1.0f);
    void FillCircle(float cx, float cy, float r, Color c, float opacity = 1.0f);
    void StrokeCircle(float cx, float cy, float r, float width, Color c, float opacity = 1.0f);
    void Line(float x0, float y0, float x1, float y1, float width, Color c, float opacity = 1.0f);
    void FillPolygon(const std::vector<Vec2>& pts, Color c, float opacity = 1.0f);
    // Additive radial glow: intensity falls off as exp(-(d / radius)^2).
    void Glow(float cx, float cy, float radius, Color c, float intensity = 1.0f);

    // Scaled copy (box-filtered when shrinking).
    Image Resized(int width, int height) const;
    void Paste(const Image& src, int x, int y);

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * w_ + x; }
    int w_, h_;
    std::vector<Color> px_;
    std::vector<float> alpha_;
};

// Signed distances (negative inside) used to build coverage functions.
float SdRoundBox(float px, float py, float x0, float y0, float x1, float y1, float r);
float SdSegment(float px, float py, float ax, float ay, float bx, float by);
float SdPolygon(float px, float py, const std::vector<Vec2>& pts);
inline float Coverage(float sd) { return sd <= -0.5f ? 1.0f : (sd >= 0.5f ? 0.0f : 0.5f - sd); }
float SmoothStep(float e0, float e1, float x);

// 8-bit conversion and file output. Keyed images: pixels with alpha below the threshold become
// exactly the key colour; other pixels are kept away from it so they never turn transparent.
std::vector<uint8_t> ToRgb8(const Image& img);
std::vector<uint8_t> ToRgba8(const Image& img);
std::vector<uint8_t> ToKeyedRgb8(const Image& img, Color key, float threshold, bool premultiplyOntoKey);
void SaveJpg(const std::filesystem::path& path, const Image& img, int quality = 92);
void SaveBmp(const std::filesystem::path& path, const Image& img);
void SaveKeyedBmp(const std::filesystem::path& path, const Image& img, Color key, float threshold,
                  bool premultiplyOntoKey);
void SavePng(const std::filesystem::path& path, const Image& img, bool withAlpha);
void SaveRgb8(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgb);
// Whether the path ends in `ext` (".png"), ignoring letter case.
bool HasExtension(const std::filesystem::path& path, const char* ext);

}  // namespace orvane::assets::visual
