#include "TextRenderer.h"

#include "../Paths.h"
#include "GlResources.h"

#include <SDL_ttf.h>

namespace quarvex::detail {

TextRenderer::TextRenderer() {
    if (!TTF_WasInit() && TTF_Init() != 0) {
        throw EngineError(std::string("Cannot start the text renderer: ") + TTF_GetError());
    }
    defaultFont_.file = FindFontFile("Arial", false, false);
    defaultFont_.size = 20;
}

TextRenderer::~TextRenderer() {
    for (auto& [key, entry] : texts_) glDeleteTextures(1, &entry.image.texture);
    for (auto& [key, font] : fonts_) TTF_CloseFont(font);
    TTF_Quit();
}

TTF_Font* TextRenderer::FontFor(const FontFace& face) {
    const std::string key = face.file + "|" + std::to_string(face.size) + "|" +
                            std::to_string(face.bold) + std::to_string(face.underline) +
                            std::to_string(face.italic);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    TTF_Font* font = TTF_OpenFont(face.file.c_str(), face.size);
    if (!font) throw EngineError("Cannot open the font file " + face.file + ": " + TTF_GetError());
    int style = TTF_STYLE_NORMAL;
    if (face.underline) style |= TTF_STYLE_UNDERLINE;
    // Bold and italic faces are chosen by file; a regular file gets the synthetic styles.
    if (face.bold && face.file.find("Bold") == std::string::npos) style |= TTF_STYLE_BOLD;
    if (face.italic && face.file.find("Italic") == std::string::npos) style |= TTF_STYLE_ITALIC;
    TTF_SetFontStyle(font, style);
    TTF_SetFontHinting(font, TTF_HINTING_LIGHT);
    fonts_[key] = font;
    return font;
}

TextImage TextRenderer::Get(const EngineState& state, const std::string& fontName,
                            const std::string& text, uint64_t frame) {
    if (text.empty()) return {};
    auto found = state.fonts.find(ToLower(fontName));
    const FontFace& font = found != state.fonts.end() ? found->second : defaultFont_;
    const std::string key = font.file + "|" + std::to_string(font.size) + "|" +
                            std::to_string(font.bold) + std::to_string(font.underline) +
                            std::to_string(font.italic) + "|" + text;
    auto it = texts_.find(key);
    if (it != texts_.end()) {
        it->second.lastUsed = frame;
        return it->second.image;
    }
    TTF_Font* ttf = FontFor(font);
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(ttf, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!rendered) return {};
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(rendered);
    if (!rgba) return {};
    Image image;
    image.width = rgba->w;
    image.height = rgba->h;
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
        std::copy(row, row + image.width * 4, image.Pixel(0, y));
    }
    SDL_FreeSurface(rgba);
    const GLuint id = TextureCache::Upload(image, false, false);
    Entry entry{{id, image.width, image.height}, frame};
    texts_[key] = entry;
    return entry.image;
}

void TextRenderer::Sweep(uint64_t frame) {
    for (auto it = texts_.begin(); it != texts_.end();) {
        if (it->second.lastUsed + 120 < frame) {
            glDeleteTextures(1, &it->second.image.texture);
            it = texts_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace quarvex::detail
