// Initialisation-file reading in the manner of GetPrivateProfileString: "[section]" headers and
// "key=value" lines, section and key names compared without regard to ASCII case, the first
// occurrence winning. Lines end at CR, LF or CR LF; lines starting with ";" are comments. A value is
// the text after the first "=", with surrounding spaces and tabs removed; it is not cut at ";", so
// a file name keeps whatever it holds.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qxsound::platform {

class ProfileFile {
public:
    // Reads and indexes the whole file; std::nullopt when it cannot be read.
    static std::optional<ProfileFile> Read(const std::string& fileName);
    // Indexes text already in memory.
    static ProfileFile Parse(std::string_view text);

    // The value of `key` in `section`, or `defaultValue` when there is none, cut to `bufferSize` - 1
    // characters as a reply buffer of that size would hold it (bufferSize 0 gives "").
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize) const;

private:
    std::unordered_map<std::string, std::string> values_;  // "section\nkey", folded to lower case
};

// One look-up in a file, read anew: the file missing gives `defaultValue` (cut the same way).
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName);

}  // namespace qxsound::platform
