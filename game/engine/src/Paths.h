// File names given to the engine: backslashes, the search directory and letter case.
#pragma once

#include <string>
#include <string_view>

namespace quarvex::detail {

// Backslashes become '/', a relative name is joined to searchDir. When no file has that exact
// name, a file in the same folder whose name differs only in letter case is returned instead.
std::string ResolvePath(std::string_view name, const std::string& searchDir);

// A Windows drive path ("c:\00000.bmp") becomes the file of that name in $HOME (else the current
// directory); other names resolve as ResolvePath does.
std::string ResolveOutputPath(std::string_view name, const std::string& searchDir);

// Lower-case copy (ASCII), for case-insensitive names.
std::string ToLower(std::string_view text);

}  // namespace quarvex::detail
