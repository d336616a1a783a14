// An MP3 (any MPEG audio) file decoded by libmpg123 as a stereo producer for the mixer thread. The
// file is read into memory when it is opened, so the mixer thread never waits on the disk; the
// length is scanned then, so the duration is exact and seeking lands on the sample.
#pragma once

#include "Mixer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct mpg123_handle_struct mpg123_handle;

namespace qxsound::platform {

class Mp3Producer final : public Producer {
public:
    // Throws qxsound::Error: VFW_E_NOT_FOUND for a file that cannot be read, VFW_E_UNSUPPORTED_STREAM
    // for one without decodable MPEG audio.
    static std::shared_ptr<Mp3Producer> Open(const std::string& fileName);
    ~Mp3Producer() override;
    Mp3Producer(const Mp3Producer&) = delete;
    Mp3Producer& operator=(const Mp3Producer&) = delete;

    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return sampleRate_; }
    // Idle while held; Finished once the file has been given out.
    RenderResult Render(float* out, int32_t frames) noexcept override;

    // Frames of the whole file, at SampleRate.
    int64_t Length() const noexcept { return length_; }
    // Frames given out so far from the start of the file (ahead of what is heard by what the output
    // holds: Stream::Unheard).
    int64_t Position() const noexcept { return position_.load(std::memory_order_acquire); }
    // Continues from `frame` (0 to Length).
    void Seek(int64_t frame);
    // While held, Render gives nothing.
    void Hold(bool hold) noexcept { held_.store(hold, std::memory_order_release); }
    // -10000 to 10000, as IBasicAudio's balance.
    void Balance(int32_t balance) noexcept;

private:
    struct Memory;  // the file's bytes and the decoder's read position
    Mp3Producer() = default;

    std::unique_ptr<Memory> file_;
    mpg123_handle* handle_ = nullptr;
    int32_t sampleRate_ = 0;
    int32_t fileChannels_ = 0;
    int64_t length_ = 0;
    std::mutex mutex_;  // the decoder: Render on the mixer thread, Seek on the host's
    bool finished_ = false;
    std::vector<float> decoded_;
    std::atomic<int64_t> position_{0};
    std::atomic<bool> held_{true};
    std::atomic<float> leftGain_{1.0f};
    std::atomic<float> rightGain_{1.0f};
};

}  // namespace qxsound::platform
