// The lines of a text in memory, each ended by CR, LF or CR LF, or by the end of the text.
#pragma once

#include <optional>
#include <string_view>

namespace qxsound::platform {

class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text) {}

    // The next line without its end; std::nullopt after the last one.
    std::optional<std::string_view> Next() {
        if (at_ >= text_.size()) return std::nullopt;
        std::size_t end = at_;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
        if (end == text_.size()) {
            const std::string_view line = text_.substr(at_);
            at_ = text_.size();
            return line;
        }
        const std::string_view line = text_.substr(at_, end - at_);
        at_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
        return line;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace qxsound::platform
