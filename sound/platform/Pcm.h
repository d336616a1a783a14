// Decoded audio data (libsndfile), kept in the file's own sample scale so that it saves back
// unchanged, with float copies at other rates made on demand.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qxsound::platform {

class PcmData {
public:
    // Throws qxsound::Error: DMUS_E_LOADER_FAILEDOPEN for a missing file, DSERR_BADFORMAT for one
    // libsndfile cannot decode or that holds no frames.
    static std::shared_ptr<const PcmData> ReadFile(const std::string& fileName);
    // The same from a file held in memory; `name` is for messages.
    static std::shared_ptr<const PcmData> ReadMemory(const std::vector<uint8_t>& bytes, const std::string& name);
    // Float samples in [-1, 1], interleaved, 1 or 2 channels.
    static std::shared_ptr<const PcmData> FromFloat(std::vector<float> samples, int32_t channels, int32_t sampleRate);

    int32_t SampleRate() const noexcept { return sampleRate_; }
    int32_t Channels() const noexcept { return channels_; }
    int32_t Frames() const noexcept { return frames_; }
    // Bytes per frame in the file's own encoding (what DirectSound cursors count in).
    int32_t BytesPerFrame() const noexcept { return bytesPerFrame_; }
    // 16-bit (and 8-bit) files keep integer samples; the rest keep floats.
    bool IsShort() const noexcept { return !shorts_.empty(); }
    const std::vector<int16_t>& Shorts() const noexcept { return shorts_; }
    const std::vector<float>& Floats() const noexcept { return *floats_; }

    // Sample `i` (interleaved index) scaled to [-1, 1].
    float Sample(std::size_t i) const noexcept {
        return IsShort() ? static_cast<float>(shorts_[i]) * (1.0f / 32768.0f) : (*floats_)[i];
    }

    // Interleaved float samples (the data's own channel count) at `sampleRate`, by linear
    // interpolation; made once per rate (float data at its own rate is given as it is).
    std::shared_ptr<const std::vector<float>> FloatsAt(int32_t sampleRate) const;

    // Writes a WAV file in the format the data came from.
    void WriteFile(const std::string& fileName) const;

private:
    static std::shared_ptr<const PcmData> Decode(SNDFILE* file, const SF_INFO& info, const std::string& name);

    int32_t sampleRate_ = 0;
    int32_t channels_ = 0;
    int32_t frames_ = 0;
    int32_t bytesPerFrame_ = 0;
    int32_t fileFormat_ = 0;
    std::vector<int16_t> shorts_;
    // Shared with the conversion cache: float data at its own rate is not copied.
    std::shared_ptr<std::vector<float>> floats_ = std::make_shared<std::vector<float>>();
    mutable std::mutex cacheMutex_;
    mutable std::map<int32_t, std::shared_ptr<const std::vector<float>>> converted_;
};

}  // namespace qxsound::platform
