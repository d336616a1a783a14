#include "FileTitle.h"

namespace qxsound::platform {

std::string GetFileTitle(std::string_view path, std::size_t bufferSize) {
    const auto slash = path.find_last_of("/\\");
    std::string_view title = slash == std::string_view::npos ? path : path.substr(slash + 1);
    title = title.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
    return std::string(title.substr(0, title.find('\0')));
}

}  // namespace qxsound::platform
