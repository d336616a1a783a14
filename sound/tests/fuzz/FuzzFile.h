// A file holding the fuzzer's input, for targets whose readers take file names: an anonymous
// in-memory file reached through /proc/self/fd, rewritten for every input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

class FuzzFile {
public:
    FuzzFile() : fd_(memfd_create("qxsound-fuzz", 0)) {
        if (fd_ < 0) std::abort();
    }

    // The file's name, now holding exactly `size` bytes of `data`.
    std::string Hold(const uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
        return "/proc/self/fd/" + std::to_string(fd_);
    }

private:
    int fd_;
};
