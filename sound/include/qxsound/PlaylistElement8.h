// One entry of a Playlist8: a location (a file name or any other text, kept unchanged) and its
// duration as the playlist file gives it (seconds by the formats' convention; not interpreted).
// Entries are created by Playlist8::Add.
#pragma once

#include <cstdint>
#include <string>

namespace qxsound {

class PlaylistElement8 {
public:
    const std::string& Location() const { return location_; }
    void Location(const std::string& location) { location_ = location; }
    int32_t Duration() const { return duration_; }
    void Duration(int32_t duration) { duration_ = duration; }

private:
    friend class Playlist8;
    PlaylistElement8() = default;

    std::string location_;
    int32_t duration_ = 0;
};

}  // namespace qxsound
