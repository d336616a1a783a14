#include "Raster.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace orvane::assets::visual {

Color Clamp01(Color c) {
    return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)};
}

float Luma(Color c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

float SmoothStep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void Mask::Max(int x, int y, float v) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    float& m = v_[Index(x, y)];
    m = std::max(m, v);
}

void Mask::Blur(int radius) {
    if (radius <= 0) return;
    std::vector<float> tmp(v_.size());
    const float inv = 1.0f / (2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h_; ++y) {
            float sum = 0;
            for (int i = -radius; i <= radius; ++i) sum += At(i, y);
            for (int x = 0; x < w_; ++x) {
                tmp[Index(x, y)] = sum * inv;
                sum += At(x + radius + 1, y) - At(x - radius, y);
            }
        }
        for (int x = 0; x < w_; ++x) {
            float sum = 0;
            auto get = [&](int yy) { return (yy < 0 || yy >= h_) ? 0.0f : tmp[Index(x, yy)]; };
            for (int i = -radius; i <= radius; ++i) sum += get(i);
            for (int y = 0; y < h_; ++y) {
                v_[Index(x, y)] = sum * inv;
                sum += get(y + radius + 1) - get(y - radius);
            }
        }
    }
}

Image::Image(int width, int height, Color fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill),
      alpha_(static_cast<size_t>(width) * height, 1.0f) {}

void Image::FillAlpha(float a) { std::fill(alpha_.begin(), alpha_.end(), a); }

void Image::Blend(int x, int y, Color c, float a) {
    if (!Inside(x, y) || a <= 0.0f) return;
    a = std::min(a, 1.0f);
    const size_t i = Index(x, y);
    px_[i] = Mix(px_[i], c, a);
    alpha_[i] = alpha_[i] + (1.0f - alpha_[i]) * a;
}

void Image::Add(int x, int y, Color c, float a) {
    if (!Inside(x, y) || a <= 0.0f) return;
    const size_t i = Index(x, y);
    px_[i] = px_[i] + c * a;
}

Color Image::Sample(float x, float y, bool wrap) const {
    x -= 0.5f;
    y -= 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const float tx = x - fx, ty = y - fy;
    auto fetch = [&](int ix, int iy) {
        if (wrap) {
            ix = ((ix % w_) + w_) % w_;
            iy = ((iy % h_) + h_) % h_;
        } else {
            ix = std::clamp(ix, 0, w_ - 1);
            iy = std::clamp(iy, 0, h_ - 1);
        }
        return px_[Index(ix, iy)];
    };
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const Color top = Mix(fetch(ix, iy), fetch(ix + 1, iy), tx);
    const Color bottom = Mix(fetch(ix, iy + 1), fetch(ix + 1, iy + 1), tx);
    return Mix(top, bottom, ty);
}

void Image::Shade(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& coverage, Color c,
                  float opacity) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, w_);
    y1 = std::min(y1, h_);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float cov = coverage(x + 0.5f, y + 0.5f);
            if (cov > 0.0f) Blend(x, y, c, cov * opacity);
        }
}

void Image::Fill(const std::function<Color(float, float)>& f) {
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) px_[Index(x, y)] = f(x + 0.5f, y + 0.5f);
}

void Image::Composite(const Mask& m, const std::function<Color(int, int)>& colour, float opacity, int dx, int dy,
                      bool additive) {
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) {
            const float a = m.At(x, y) * opacity;
            if (a <= 0.0f) continue;
            const int tx = x + dx, ty = y + dy;
            if (!Inside(tx, ty)) continue;
            if (additive)
                Add(tx, ty, colour(tx, ty), a);
            else
                Blend(tx, ty, colour(tx, ty), a);
        }
}

namespace {
int Lo(float v) { return static_cast<int>(std::floor(v)) - 1; }
int Hi(float v) { return static_cast<int>(std::ceil(v)) + 1; }
}  // namespace

void Image::FillRect(float x0, float y0, float x1, float y1, Color c, float opacity) {
    FillRoundRect(x0, y0, x1, y1, 0.0f, c, opacity);
}

void Image::FillRoundRect(float x0, float y0, float x1, float y1, float radius, Color c, float opacity) {
    Shade(Lo(x0), Lo(y0), Hi(x1), Hi(y1),
          [&](float px, float py) { return Coverage(SdRoundBox(px, py, x0, y0, x1, y1, radius)); }, c, opacity);
}

void Image::StrokeRoundRect(float x0, float y0, float x1, float y1, float radius, float width, Color c,
                            float opacity) {
    Shade(Lo(x0), Lo(y0), Hi(x1), Hi(y1),
          [&](float px, float py) {
              const float d = SdRoundBox(px, py, x0, y0, x1, y1, radius);
              return std::min(Coverage(d), Coverage(-d - width));
          },
          c, opacity);
}

void Image::FillCircle(float cx, float cy, float r, Color c, float opacity) {
    Shade(Lo(cx - r), Lo(cy - r), Hi(cx + r), Hi(cy + r),
          [&](float px, float py) { return Coverage(std::hypot(px - cx, py - cy) - r); }, c, opacity);
}

void Image::StrokeCircle(float cx, float cy, float r, float width, Color c, float opacity) {
    const float o = r + width;
    Shade(Lo(cx - o), Lo(cy - o), Hi(cx + o), Hi(cy + o),
          [&](float px, float py) { return Coverage(std::fabs(std::hypot(px - cx, py - cy) - r) - width * 0.5f); },
          c, opacity);
}

void Image::Line(float x0, float y0, float x1, float y1, float width, Color c, float opacity) {
    const float h = width * 0.5f;
    Shade(Lo(std::min(x0, x1) - h), Lo(std::min(y0, y1) - h), Hi(std::max(x0, x1) + h), Hi(std::max(y0, y1) + h),
          [&](float px, float py) { return Coverage(SdSegment(px, py, x0, y0, x1, y1) - h); }, c, opacity);
}

void Image::FillPolygon(const std::vector<Vec2>& pts, Color c, float opacity) {
    if (pts.size() < 3) return;
    float minx = pts[0].x, maxx = pts[0].x, miny = pts[0].y, maxy = pts[0].y;
    for (const auto& p : pts) {
        minx = std::min(minx, p.x);
        maxx = std::max(maxx, p.x);
        miny = std::min(miny, p.y);
        maxy = std::max(maxy, p.y);
    }
    Shade(Lo(minx), Lo(miny), Hi(maxx), Hi(maxy),
          [&](float px, float py) { return Coverage(SdPolygon(px, py, pts)); }, c, opacity);
}

void Image::Glow(float cx, float cy, float radius, Color c, float intensity) {
    const float reach = radius * 3.0f;
    const int x0 = std::max(Lo(cx - reach), 0), x1 = std::min(Hi(cx + reach), w_);
    const int y0 = std::max(Lo(cy - reach), 0), y1 = std::min(Hi(cy + reach), h_);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
            const float k = std::exp(-(dx * dx + dy * dy)) * intensity;
            if (k > 1e-4f) Add(x, y, c, k);
        }
}

Image Image::Resized(int width, int height) const {
    Image out(width, height);
    const float sx = static_cast<float>(w_) / width, sy = static_cast<float>(h_) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (sx <= 1.0f && sy <= 1.0f) {
                out.At(x, y) = Sample((x + 0.5f) * sx, (y + 0.5f) * sy);
                continue;
            }
            const int ax = static_cast<int>(x * sx), bx = std::max(ax + 1, static_cast<int>((x + 1) * sx));
            const int ay = static_cast<int>(y * sy), by = std::max(ay + 1, static_cast<int>((y + 1) * sy));
            Color sum;
            float a = 0;
            for (int yy = ay; yy < std::min(by, h_); ++yy)
                for (int xx = ax; xx < std::min(bx, w_); ++xx) {
                    sum = sum + px_[Index(xx, yy)];
                    a += alpha_[Index(xx, yy)];
                }
            const float n = static_cast<float>((std::min(by, h_) - ay) * (std::min(bx, w_) - ax));
            out.At(x, y) = sum * (1.0f / n);
            out.AlphaRef(x, y) = a / n;
        }
    return out;
}

void Image::Paste(const Image& src, int x, int y) {
    for (int yy = 0; yy < src.Height(); ++yy)
        for (int xx = 0; xx < src.Width(); ++xx)
            if (Inside(x + xx, y + yy)) At(x + xx, y + yy) = src.At(xx, yy);
}

float SdRoundBox(float px, float py, float x0, float y0, float x1, float y1, float r) {
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - r, hy = (y1 - y0) * 0.5f - r;
    const float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

float SdSegment(float px, float py, float ax, float ay, float bx, float by) {
    const float pax = px - ax, pay = py - ay, bax = bx - ax, bay = by - ay;
    const float len2 = bax * bax + bay * bay;
    const float h = len2 > 0 ? std::clamp((pax * bax + pay * bay) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(pax - bax * h, pay - bay * h);
}

float SdPolygon(float px, float py, const std::vector<Vec2>& v) {
    float d = (px - v[0].x) * (px - v[0].x) + (py - v[0].y) * (py - v[0].y);
    float s = 1.0f;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
        const float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        const float wx = px - v[i].x, wy = py - v[i].y;
        const float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = py >= v[i].y, c2 = py < v[j].y, c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

namespace {

uint8_t To8(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// The pixels row by row as 8-bit RGB, with 8-bit alpha after each when `withAlpha`.
std::vector<uint8_t> ToBytes(const Image& img, bool withAlpha) {
    const size_t channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(img.Width()) * img.Height() * channels);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const Color& c = img.At(x, y);
            out.push_back(To8(c.r));
            out.push_back(To8(c.g));
            out.push_back(To8(c.b));
            if (withAlpha) out.push_back(To8(img.Alpha(x, y)));
        }
    return out;
}

}  // namespace

std::vector<uint8_t> ToRgb8(const Image& img) { return ToBytes(img, false); }

std::vector<uint8_t> ToRgba8(const Image& img) { return ToBytes(img, true); }

std::vector<uint8_t> ToKeyedRgb8(const Image& img, Color key, float threshold, bool premultiplyOntoKey) {
    const uint8_t kr = To8(key.r), kg = To8(key.g), kb = To8(key.b);
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(img.Width()) * img.Height() * 3);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const float a = img.Alpha(x, y);
            if (a < threshold) {
                out.insert(out.end(), {kr, kg, kb});
                continue;
            }
            const Color c = premultiplyOntoKey ? Mix(key, img.At(x, y), a) : img.At(x, y);
            uint8_t r = To8(c.r), g = To8(c.g), b = To8(c.b);
            if (r == kr && g == kg && b == kb) {
                // Nudge the nearest channel by one step so the pixel stays visible.
                if (kg >= 128) g = static_cast<uint8_t>(g - 1); else g = static_cast<uint8_t>(g + 1);
            }
            out.insert(out.end(), {r, g, b});
        }
    return out;
}

bool HasExtension(const std::filesystem::path& path, const char* ext) {
    std::string e = path.extension().string();
    for (auto& ch : e) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return e == ext;
}

void SaveRgb8(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgb) {
    const std::string p = path.string();
    int ok = 0;
    if (HasExtension(path, ".jpg"))
        ok = stbi_write_jpg(p.c_str(), width, height, 3, rgb.data(), 92);
    else if (HasExtension(path, ".bmp"))
        ok = stbi_write_bmp(p.c_str(), width, height, 3, rgb.data());
    else if (HasExtension(path, ".png"))
        ok = stbi_write_png(p.c_str(), width, height, 3, rgb.data(), width * 3);
    else
        throw std::runtime_error("unknown image type: " + p);
    if (!ok) throw std::runtime_error("cannot write " + p);
}

void SaveJpg(const std::filesystem::path& path, const Image& img, int quality) {
    const auto rgb = ToRgb8(img);
    if (!stbi_write_jpg(path.string().c_str(), img.Width(), img.Height(), 3, rgb.data(), quality))
        throw std::runtime_error("cannot write " + path.string());
}

void SaveBmp(const std::filesystem::path& path, const Image& img) {
    SaveRgb8(path, img.Width(), img.Height(), ToRgb8(img));
}

void SaveKeyedBmp(const std::filesystem::path& path, const Image& img, Color key, float threshold,
                  bool premultiplyOntoKey) {
    SaveRgb8(path, img.Width(), img.Height(), ToKeyedRgb8(img, key, threshold, premultiplyOntoKey));
}

void SavePng(const std::filesystem::path& path, const Image& img, bool withAlpha) {
    if (!withAlpha) {
        SaveRgb8(path, img.Width(), img.Height(), ToRgb8(img));
        return;
    }
    const auto rgba = ToRgba8(img);
    if (!stbi_write_png(path.string().c_str(), img.Width(), img.Height(), 4, rgba.data(), img.Width() * 4))
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace orvane::assets::visual
