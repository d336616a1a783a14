// Initialisation-file reading in the manner of GetPrivateProfileString: "[section]" headers and
// "key=value" lines, section and key names compared without regard to ASCII case, the first
// occurrence winning. Lines end at CR, LF or CR LF; lines starting with ";" are comments. A value is
// the text after the first "=", with surrounding spaces and tabs removed; it is not cut at ";", so
// a file name keeps whatever it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qxsound::platform {

class ProfileFile {
public:
    // Reads and indexes the whole file; std::nullopt when it cannot be read.
    static std::optional<ProfileFile> Read(const std::string& fileName);
    // Indexes text already in memory.
    static ProfileFile Parse(std::string text);

    // The value of `key` in `section`, or `defaultValue` when there is none, cut to `bufferSize` - 1
    // characters as a reply buffer of that size would hold it (bufferSize 0 gives "").
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize) const;

private:
    // Numbered keys ("File12": the stem "File" and the number 12, the shape of every list in such
    // files) are kept in a dense array per section and stem, so that reading a list in order
    // touches memory in order; other keys, and numbered ones past the arrays' budget, by their
    // whole name.
    struct Numbered {
        std::string stem;  // folded "section\nstem"
        uint32_t number;
    };
    static std::string Name(std::string_view section, std::string_view key);  // folded "section\nkey"
    std::optional<Numbered> NumberedOf(std::string_view section, std::string_view key) const;
    void Insert(std::string_view section, std::string_view key, std::string_view value);

    std::unique_ptr<const std::string> text_;  // the values point into it
    std::size_t budget_ = 0;                    // array slots left; no more than the file has lines
    bool spilled_ = false;                      // a numbered key was kept by name
    std::unordered_map<std::string, std::string_view> named_;
    std::unordered_map<std::string, std::vector<std::optional<std::string_view>>> numbered_;
};

// One look-up in a file, read anew: the file missing gives `defaultValue` (cut the same way).
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName);

}  // namespace qxsound::platform
