// libFuzzer target for the MP3 header and tag inspection: any bytes as the file. Each input is
// inspected from memory and, written to a memory file, through the file reader; both must agree and
// every result must be one the inspection can give. Run by hand, for example:
//   build-fuzz/bin/qxsound_fuzz_mp3 -runs=10000000 corpus/
#include "Mp3Inspection.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using qxsound::Mp3Properties;

bool OneOf(int32_t value, std::initializer_list<int32_t> allowed) {
    for (int32_t a : allowed)
        if (value == a) return true;
    return false;
}

bool Flag(int32_t value) { return value >= 0 && value <= 2; }

// What an object that starts with its defaults can hold after any number of inspections.
bool Possible(const Mp3Properties& p) {
    return OneOf(p.MpegVersion, {0, 1, 2, 25}) && OneOf(p.MpegLayer, {0, 1, 2, 3}) &&
           OneOf(p.Frequency, {0, 44100, 48000, 32000, 22050, 24000, 16000}) && p.Mode >= 0 && p.Mode <= 3 &&
           p.Emphasis >= 0 && p.Emphasis <= 3 && Flag(p.Padding) && Flag(p.Crc) && Flag(p.Copyright) &&
           Flag(p.Original) && Flag(p.PrivateBit) && p.Frames >= 0 && p.Bitrate >= 0 && p.Genre >= 0 &&
           p.Genre <= 255 && (p.SongName.empty() || p.SongName.size() == 30) &&
           (p.Artist.empty() || p.Artist.size() == 30) && (p.Album.empty() || p.Album.size() == 30) &&
           (p.Year.empty() || p.Year.size() == 4) && (p.Comment.empty() || p.Comment.size() == 29) &&
           p.Track.size() <= 1 && !qxsound::Mp3GenreName(p.Genre).empty();
}

// A file in memory (tmpfs) that the file reader opens by name, removed at exit.
struct MemoryFile {
    std::string name = "/dev/shm/qxsound-fuzz-mp3-" + std::to_string(getpid());
    int fd = open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ~MemoryFile() {
        close(fd);
        unlink(name.c_str());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Mp3Properties fromMemory;
    qxsound::InspectMp3(std::span<const uint8_t>(data, size), fromMemory);
    if (!Possible(fromMemory)) std::abort();
    // A second inspection over the results of the first changes only what it reaches again.
    Mp3Properties twice = fromMemory;
    qxsound::InspectMp3(std::span<const uint8_t>(data, size), twice);
    if (!(twice == fromMemory)) std::abort();

    static const MemoryFile file;
    if (file.fd < 0 || ftruncate(file.fd, 0) != 0 ||
        (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();
    Mp3Properties fromFile;
    qxsound::InspectMp3(file.name, fromFile);
    if (!(fromFile == fromMemory)) std::abort();
    return 0;
}
