// Screen2D: the frame's 2D queue and fonts.
#include "EngineState.h"
#include "Paths.h"

namespace quarvex {

using detail::State;

void Screen2D::CreateFont(std::string_view name, std::string_view face, int32_t size, bool bold,
                          bool underline, bool italic) {
    const std::string file = detail::FindFontFile(std::string(face), bold, italic);
    if (file.empty()) {
        throw EngineError("CreateFont \"" + std::string(name) + "\": no font file found for \"" +
                          std::string(face) + "\" (install fonts-liberation)");
    }
    State().fonts[detail::ToLower(name)] = {file, size > 0 ? size : 20, bold, underline, italic};
}

void Screen2D::DrawText(std::string_view text, float x, float y, Color color,
                        std::string_view fontName) {
    Draw2D item;
    item.kind = Draw2D::Kind::Text;
    item.x1 = x;
    item.y1 = y;
    item.x2 = x;
    item.y2 = y;
    item.color = color;
    item.color2 = color;
    item.text = std::string(text);
    item.font = std::string(fontName);
    State().queue.push_back(std::move(item));
}

void Screen2D::DrawTexture(const TexturePtr& texture, float x1, float y1, float x2, float y2,
                           Color color, Color color2) {
    Draw2D item;
    item.kind = Draw2D::Kind::Texture;
    item.texture = texture;
    item.x1 = x1;
    item.y1 = y1;
    item.x2 = x2;
    item.y2 = y2;
    item.color = color;
    item.color2 = color2 == 0 ? color : color2;
    State().queue.push_back(std::move(item));
}

bool Screen2D::ProjectToScreen(const Vector3& point, float& x, float& y) {
    return State().camera.Project({point.x, point.y, point.z}, x, y);
}

}  // namespace quarvex
