// Text with SDL2_ttf: each distinct string is rendered once, anti-aliased, into a texture that is
// kept while it keeps being drawn.
#pragma once

#include "../EngineState.h"
#include "Gl.h"

#include <map>
#include <string>

typedef struct _TTF_Font TTF_Font;

namespace quarvex::detail {

struct TextImage {
    GLuint texture = 0;
    int width = 0, height = 0;
};

class TextRenderer {
public:
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // White text (tinted when drawn); an empty image for empty text.
    TextImage Get(const EngineState& state, const std::string& fontName, const std::string& text,
                  uint64_t frame);
    void Sweep(uint64_t frame);  // drops texts not drawn for a while

private:
    TTF_Font* FontFor(const FontFace& face);
    struct Entry {
        TextImage image;
        uint64_t lastUsed = 0;
    };
    std::map<std::string, TTF_Font*> fonts_;
    std::map<std::string, Entry> texts_;
    FontFace defaultFont_;
};

}  // namespace quarvex::detail
