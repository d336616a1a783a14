// The lines of a text in memory, each ended by CR, LF or CR LF, or by the end of the text.
#pragma once

#include <cstring>
#include <optional>
#include <string_view>

namespace qxsound::platform {

class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text) {}

    // The next line without its end; std::nullopt after the last one.
    std::optional<std::string_view> Next() {
        if (at_ >= text_.size()) return std::nullopt;
        // The first CR or LF: the LF found first bounds the search for a CR.
        const char* from = text_.data() + at_;
        std::size_t rest = text_.size() - at_;
        if (const void* lf = std::memchr(from, '\n', rest)) rest = static_cast<std::size_t>(static_cast<const char*>(lf) - from);
        const void* cr = std::memchr(from, '\r', rest);
        const std::size_t end = at_ + (cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : rest);
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
