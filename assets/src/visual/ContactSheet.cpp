#include "ContactSheet.h"

#include "Raster.h"
#include "Text.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane::assets::visual {

namespace {

bool IsImage(const std::filesystem::path& p) {
    return HasExtension(p, ".jpg") || HasExtension(p, ".bmp") || HasExtension(p, ".png");
}

}  // namespace

int WriteContactSheet(const std::filesystem::path& dataDir, const std::filesystem::path& out,
                      const std::string& filter) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir))
        if (entry.is_regular_file() && IsImage(entry.path()) &&
            entry.path().filename().string().find(filter) != std::string::npos &&
            entry.path() != out)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) throw std::runtime_error("no images in " + dataDir.string());

    constexpr int kThumb = 160, kCellW = 180, kCellH = 206, kColumns = 8, kMargin = 10;
    const int rows = (static_cast<int>(files.size()) + kColumns - 1) / kColumns;
    Image sheet(kMargin * 2 + kColumns * kCellW, kMargin * 2 + rows * kCellH, Rgb(40, 42, 48));
    for (size_t n = 0; n < files.size(); ++n) {
        const int cx = kMargin + static_cast<int>(n % kColumns) * kCellW;
        const int cy = kMargin + static_cast<int>(n / kColumns) * kCellH;
        int w = 0, h = 0, comp = 0;
        unsigned char* data = stbi_load(files[n].string().c_str(), &w, &h, &comp, 3);
        if (!data) throw std::runtime_error("cannot read " + files[n].string());
        Image img(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = data + (static_cast<size_t>(y) * w + x) * 3;
                img.At(x, y) = Rgb(p[0], p[1], p[2]);
            }
        stbi_image_free(data);
        const float scale = std::min(1.0f, static_cast<float>(kThumb) / std::max(w, h));
        const int tw = std::max(1, static_cast<int>(w * scale)), th = std::max(1, static_cast<int>(h * scale));
        // A checker shows where an image is black or white at the edges.
        for (int y = 0; y < kThumb; ++y)
            for (int x = 0; x < kThumb; ++x)
                sheet.At(cx + x, cy + y) = ((x / 8 + y / 8) % 2) ? Rgb(70, 70, 78) : Rgb(96, 96, 104);
        sheet.Paste(img.Resized(tw, th), cx + (kThumb - tw) / 2, cy + (kThumb - th) / 2);
        const std::string label = files[n].filename().string();
        DrawText(sheet, FontFace::SansBold, 15, cx + kThumb / 2.0f, cy + kThumb + 17.0f, label, Rgb(235, 235, 240),
                 Align::Center);
        DrawText(sheet, FontFace::Sans, 13, cx + kThumb / 2.0f, cy + kThumb + 33.0f,
                 std::to_string(w) + " x " + std::to_string(h), Rgb(170, 170, 180), Align::Center);
    }
    SavePng(out, sheet, false);
    return static_cast<int>(files.size());
}

}  // namespace orvane::assets::visual
