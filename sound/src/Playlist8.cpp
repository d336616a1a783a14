#include <qxsound/Playlist8.h>

#include <qxsound/modGlobal.h>

#include "NumberText.h"
#include "ProfileString.h"
#include "TextLines.h"
#include "WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace qxsound {

namespace {

class PlaylistFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int32_t DurationOf(std::string_view text) {
    const auto value = TextToInt32(text);
    if (!value) throw PlaylistFailure("\"" + std::string(text) + "\" is not a duration");
    return *value;
}

// Writes `content` to a new file beside `fileName` and renames it over `fileName`, so the old file
// stays whole until the new one is complete. A new file gets the usual permissions (0666 less the
// umask), a replaced one keeps its own; a symbolic link is followed, not replaced.
void ReplaceFile(const std::string& fileName, std::string_view content) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(fileName);
    if (fs::is_symlink(target, ec)) {
        target = fs::weakly_canonical(target, ec);
        if (ec) throw PlaylistFailure("cannot follow the link " + fileName);
    }
    if (fs::is_directory(target, ec)) throw PlaylistFailure(fileName + " is a directory");

    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    if (target.parent_path().empty()) temp = "." + target.filename().string() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) throw PlaylistFailure("cannot create a file beside " + fileName);

    struct stat existing {};
    mode_t mode;
    if (stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = fchmod(fd, mode) == 0;
    for (std::size_t written = 0; ok && written < content.size();) {
        const ssize_t n = write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += static_cast<std::size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        throw PlaylistFailure("cannot write " + fileName);
    }
}

template <typename Save>
bool Saving(const qxcommon::KeyedCollection<PlaylistElement8>& entries, const std::string& fileName, Save save) {
    try {
        if (entries.Count() > Playlist8::kMaxSaveEntries) return false;
        std::string content;
        content.reserve(static_cast<std::size_t>(entries.Count()) * 64 + 64);
        save(content);
        ReplaceFile(fileName, content);
        return true;
    } catch (...) {
        return false;
    }
}

void AppendLine(std::string& out, std::string_view a, std::string_view b = {}, std::string_view c = {},
                std::string_view d = {}) {
    out.append(a).append(b).append(c).append(d).append("\r\n");
}

}  // namespace

std::shared_ptr<PlaylistElement8> Playlist8::Add(const std::string& sLocation, const std::string& sKey) {
    return Append(sLocation, sKey);
}

std::shared_ptr<PlaylistElement8> Playlist8::Append(std::string location, std::string_view key) {
    // One allocation for the entry and its count (the constructor is for Playlist8 alone).
    struct Entry : PlaylistElement8 {};
    std::shared_ptr<PlaylistElement8> entry = std::make_shared<Entry>();
    entry->location_ = std::move(location);
    entries_.Add(entry, key);
    return entry;
}

bool Playlist8::LoadM3U(const std::string& sFileName) {
    try {
        const auto text = platform::ReadWholeFile(sFileName);
        if (!text) return false;
        platform::TextLines lines(*text);
        while (const auto line = lines.Next()) {
            if (line->empty() || line->find("EXTM3U") != std::string_view::npos) continue;
            if (line->find("#EXTINF:") == std::string_view::npos) {
                Append(std::string(*line));
                continue;
            }
            // "#EXTINF:duration,title": the duration is the text before the first ",".
            const std::string_view info = line->substr(std::min<std::size_t>(8, line->size()));
            if (info.empty()) return false;
            const std::string_view duration = info.substr(0, info.find(','));
            const auto location = lines.Next();
            if (!location) return false;
            auto entry = Append(std::string(*location));
            entry->Duration(DurationOf(duration));
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool Playlist8::SaveAsM3U(const std::string& sFileName, bool bExtendedInfo) const {
    return Saving(entries_, sFileName, [&](std::string& out) {
        if (bExtendedInfo) AppendLine(out, "#EXTM3U");
        for (const auto& entry : entries_) {
            if (bExtendedInfo)
                AppendLine(out, "#EXTINF:", std::to_string(entry->Duration()), ",",
                           FileTitleWithoutExtension(entry->Location()));
            AppendLine(out, entry->Location());
        }
    });
}

bool Playlist8::LoadPLS(const std::string& sFileName) {
    try {
        const auto file = platform::ProfileFile::Read(sFileName);
        if (!file) return false;
        // Values as a 128-character reply buffer holds them, without surrounding spaces.
        auto value = [](std::optional<std::string_view> found, std::string_view defaultValue) {
            std::string_view v = found.value_or(defaultValue).substr(0, 127);
            while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
            while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
            return v;
        };
        const auto count = TextToInt32(value(file->Find("playlist", "NumberOfEntries"), ""));
        if (!count || *count > kMaxLoadEntries) return false;
        const auto files = file->Keys("playlist", "File");
        const auto lengths = file->Keys("playlist", "Length");
        if (*count > 0) entries_.Reserve(static_cast<std::size_t>(Count()) + static_cast<std::size_t>(*count));
        for (int32_t i = 1; i <= *count; ++i) {
            auto entry = Append(std::string(value(files[static_cast<uint32_t>(i)], "")));
            const std::string_view length = value(lengths[static_cast<uint32_t>(i)], "0");
            if (!length.empty()) entry->Duration(DurationOf(length));
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool Playlist8::SaveAsPLS(const std::string& sFileName, bool bExtendedInfo) const {
    return Saving(entries_, sFileName, [&](std::string& out) {
        AppendLine(out, "[playlist]");
        int32_t i = 0;
        for (const auto& entry : entries_) {
            const std::string n = std::to_string(++i);
            AppendLine(out, "File", n, "=", entry->Location());
            if (bExtendedInfo) {
                AppendLine(out, "Title", n, "=", FileTitleWithoutExtension(entry->Location()));
                AppendLine(out, "Length", n, "=", std::to_string(entry->Duration()));
            }
        }
        AppendLine(out, "NumberOfEntries=", std::to_string(entries_.Count()));
        if (bExtendedInfo) AppendLine(out, "Version=2");
    });
}

}  // namespace qxsound
