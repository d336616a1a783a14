// The file-title query in the manner of GetFileTitle: the last component of a path, "/" and "\"
// both separating, written into a reply buffer of `bufferSize` characters (so cut to
// bufferSize - 1) and taken up to its first NUL.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxsound::platform {

std::string GetFileTitle(std::string_view path, std::size_t bufferSize);

}  // namespace qxsound::platform
