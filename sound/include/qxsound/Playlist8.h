// An ordered list of playlist entries, read from and written to M3U and PLS files. It plays
// nothing: a host loads the entries' locations into sounds itself.
//
//   qxsound::Playlist8 list;
//   if (list.LoadM3U("/music/evening.m3u"))
//       for (auto& entry : list) std::cout << entry->Location() << " " << entry->Duration() << "\n";
//   list.SaveAsPLS("/music/evening.pls");
//
// Files are 8-bit text, passed through byte for byte; lines are written with CR LF ends and read
// with CR, LF or CR LF ends. Loading appends to the entries already there.
//
// The four file operations trap every failure and return false; entries added before a failure
// stay. A load fails on a missing file and on damage: a duration or count that is not a number,
// an "#EXTINF:" line without its location line, a PLS count above kMaxLoadEntries. A save fails for
// more than kMaxSaveEntries entries or when the file cannot be written; it writes a new file beside
// the old one and renames it into place, so a failed save leaves the old file as it was.
//
// Add, Item, Remove, Count and Clear do not trap: a bad index, an unknown key or a key already in
// use raise the collection's errors (qxcommon::CollectionError). Keys are optional and compare
// without regard to case.
#pragma once

#include <qxsound/PlaylistElement8.h>

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qxsound {

class Playlist8 {
public:
    // The largest list a save writes.
    static constexpr int32_t kMaxSaveEntries = 32767;
    // The largest entry count a PLS file may declare.
    static constexpr int32_t kMaxLoadEntries = 1000000;

    std::shared_ptr<PlaylistElement8> Add(const std::string& sLocation, const std::string& sKey = "");
    const std::shared_ptr<PlaylistElement8>& Item(int32_t index) const { return entries_.Item(index); }
    const std::shared_ptr<PlaylistElement8>& Item(std::string_view key) const { return entries_.Item(key); }
    int32_t Count() const { return entries_.Count(); }
    void Remove(int32_t index) { entries_.Remove(index); }
    void Remove(std::string_view key) { entries_.Remove(key); }
    void Clear() { entries_.Clear(); }

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    bool LoadM3U(const std::string& sFileName);
    // Extended: an "#EXTM3U" first line and an "#EXTINF:duration,title" line before each location.
    bool SaveAsM3U(const std::string& sFileName, bool bExtendedInfo = true) const;
    // Reads NumberOfEntries, then File<i> and Length<i> of the [playlist] section; values are seen
    // up to 127 characters, without surrounding spaces.
    bool LoadPLS(const std::string& sFileName);
    // Extended: a Title<i> and Length<i> line after each File<i>, and a closing "Version=2".
    bool SaveAsPLS(const std::string& sFileName, bool bExtendedInfo = true) const;

private:
    std::shared_ptr<PlaylistElement8> Append(std::string location, std::string_view key = {});

    qxcommon::KeyedCollection<PlaylistElement8> entries_;
};

}  // namespace qxsound
