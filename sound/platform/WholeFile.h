// Reading a whole file into memory.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace qxsound::platform {

// The file's bytes; std::nullopt when it is not a regular file or cannot be read.
inline std::optional<std::string> ReadWholeFile(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return std::nullopt;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    // Read straight into a string of the file's size; whatever the file has grown by meanwhile
    // (or all of it, when the size is not known) in blocks after that.
    std::string bytes(std::filesystem::file_size(fileName, ec), '\0');
    if (ec) bytes.clear();
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    for (char block[65536]; in;) {
        in.read(block, sizeof block);
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace qxsound::platform
