#include "Mp3Producer.h"

#include "DirectSound.h"

#include <qxsound/Error.h>

#include <mpg123.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace qxsound::platform {

struct Mp3Producer::Memory {
    std::vector<unsigned char> bytes;
    std::size_t at = 0;
};

namespace {

// Regular files only: the name of a FIFO or a device must not hang or flood the read.
std::vector<unsigned char> ReadWholeFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw Error(VFW_E_NOT_FOUND,
                    "cannot open the file \"" + fileName + "\": " + std::generic_category().message(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw Error(VFW_E_NOT_FOUND, "\"" + fileName + "\" is not a file");
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);  // a file cut short meanwhile plays what it holds
    return bytes;
}

}  // namespace

std::shared_ptr<Mp3Producer> Mp3Producer::Open(const std::string& fileName) {
    std::shared_ptr<Mp3Producer> p(new Mp3Producer());
    p->file_ = std::make_unique<Memory>();
    p->file_->bytes = ReadWholeFile(fileName);

    int error = MPG123_OK;
    p->handle_ = mpg123_new(nullptr, &error);
    if (!p->handle_) throw Error(DSERR_OUTOFMEMORY, "libmpg123 cannot make a decoder: " + std::string(mpg123_plain_strerror(error)));
    mpg123_handle* h = p->handle_;
    const auto unsupported = [&](const char* what) {
        return Error(VFW_E_UNSUPPORTED_STREAM, "\"" + fileName + "\" is not MPEG audio that can be played: " + what +
                                                   " (" + mpg123_strerror(h) + ")");
    };

    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Float output at the file's own rate and channel count, whatever they are.
    mpg123_format_none(h);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    const auto read = [](void* handle, void* out, std::size_t count) -> mpg123_ssize_t {
        auto* m = static_cast<Memory*>(handle);
        const std::size_t n = std::min(count, m->bytes.size() - m->at);
        if (n > 0) std::memcpy(out, m->bytes.data() + m->at, n);
        m->at += n;
        return static_cast<mpg123_ssize_t>(n);
    };
    const auto seek = [](void* handle, off_t offset, int whence) -> off_t {
        auto* m = static_cast<Memory*>(handle);
        const off_t size = static_cast<off_t>(m->bytes.size());
        const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off_t>(m->at) : size;
        if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
        if (offset < -base || offset > size - base) return -1;
        m->at = static_cast<std::size_t>(base + offset);
        return base + offset;
    };
    if (mpg123_replace_reader_handle(h, read, seek, nullptr) != MPG123_OK || mpg123_open_handle(h, p->file_.get()) != MPG123_OK)
        throw unsupported("it cannot be opened");
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK) throw unsupported("no audio frame was found");
    // The stream keeps the first frame's format; later changes are converted by libmpg123.
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, MPG123_ENC_FLOAT_32);
    if (mpg123_scan(h) != MPG123_OK) throw unsupported("its frames cannot be scanned");
    const off_t length = mpg123_length(h);
    if (length <= 0) throw unsupported("it holds no samples");
    if (mpg123_seek(h, 0, SEEK_SET) < 0) throw unsupported("it cannot be rewound");
    p->sampleRate_ = static_cast<int32_t>(rate);
    p->fileChannels_ = channels;
    p->length_ = length;
    return p;
}

Mp3Producer::~Mp3Producer() {
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
}

RenderResult Mp3Producer::Render(float* out, int32_t frames) noexcept {
    if (held_.load(std::memory_order_acquire)) return RenderResult::Idle;
    std::lock_guard lock(mutex_);
    if (finished_) return RenderResult::Finished;
    const auto channels = static_cast<std::size_t>(fileChannels_);
    const std::size_t wanted = static_cast<std::size_t>(frames) * channels;
    if (decoded_.size() < wanted) decoded_.resize(wanted);
    std::size_t got = 0;
    int idleReads = 0;
    while (got < wanted) {
        std::size_t bytes = 0;
        const int result = mpg123_read(handle_, reinterpret_cast<unsigned char*>(decoded_.data() + got),
                                       (wanted - got) * sizeof(float), &bytes);
        got += bytes / sizeof(float);
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && bytes > 0)) continue;
        // MPG123_DONE; an error libmpg123 cannot resync past; or a decoder that stopped giving.
        if (result == MPG123_OK && ++idleReads < 4) continue;
        finished_ = true;
        break;
    }
    const std::size_t gotFrames = got / channels;
    if (gotFrames == 0 && finished_) return RenderResult::Finished;
    const float left = leftGain_.load(std::memory_order_relaxed);
    const float right = rightGain_.load(std::memory_order_relaxed);
    for (std::size_t f = 0; f < gotFrames; ++f) {
        out[2 * f] = decoded_[f * channels] * left;
        out[2 * f + 1] = decoded_[f * channels + channels - 1] * right;
    }
    std::fill(out + 2 * gotFrames, out + 2 * static_cast<std::size_t>(frames), 0.0f);
    position_.store(position_.load(std::memory_order_relaxed) + static_cast<int64_t>(gotFrames),
                    std::memory_order_release);
    return RenderResult::Playing;
}

void Mp3Producer::Seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, length_);
    std::lock_guard lock(mutex_);
    if (mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) < 0)
        throw Error(DSERR_GENERIC, std::string("libmpg123 cannot seek: ") + mpg123_strerror(handle_));
    finished_ = false;
    position_.store(frame, std::memory_order_release);
}

void Mp3Producer::Balance(int32_t balance) noexcept {
    leftGain_.store(balance > 0 ? BufferVolumeGain(-balance) : 1.0f, std::memory_order_relaxed);
    rightGain_.store(balance < 0 ? BufferVolumeGain(balance) : 1.0f, std::memory_order_relaxed);
}

}  // namespace qxsound::platform
