#include "Pcm.h"

#include <qxsound/Error.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace qxsound::platform {

namespace {

struct SndFileCloser {
    void operator()(SNDFILE* f) const noexcept { sf_close(f); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

int32_t BytesPerSample(int32_t format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW: return 1;
        case SF_FORMAT_PCM_16: return 2;
        case SF_FORMAT_PCM_24: return 3;
        case SF_FORMAT_DOUBLE: return 8;
        default: return 4;
    }
}

}  // namespace

std::shared_ptr<const PcmData> PcmData::ReadFile(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        throw Error(DMUS_E_LOADER_FAILEDOPEN, "cannot open the sound file \"" + fileName + "\"");
    SF_INFO info{};
    SndFilePtr file(sf_open(fileName.c_str(), SFM_READ, &info));
    if (!file) {
        throw Error(DSERR_BADFORMAT,
                    "\"" + fileName + "\" is not a sound file that can be read: " + sf_strerror(nullptr));
    }
    return Decode(file.get(), info, fileName);
}

namespace {

struct Memory {
    const std::vector<uint8_t>* bytes;
    sf_count_t at;
};

SF_VIRTUAL_IO MemoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* m) { return static_cast<sf_count_t>(static_cast<Memory*>(m)->bytes->size()); };
    io.seek = [](sf_count_t offset, int whence, void* p) {
        auto* m = static_cast<Memory*>(p);
        const auto size = static_cast<sf_count_t>(m->bytes->size());
        const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : size;
        m->at = std::clamp<sf_count_t>(base + offset, 0, size);
        return m->at;
    };
    io.read = [](void* out, sf_count_t count, void* p) {
        auto* m = static_cast<Memory*>(p);
        const sf_count_t n = std::min(count, static_cast<sf_count_t>(m->bytes->size()) - m->at);
        std::memcpy(out, m->bytes->data() + m->at, static_cast<std::size_t>(n));
        m->at += n;
        return n;
    };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* p) { return static_cast<Memory*>(p)->at; };
    return io;
}

}  // namespace

std::shared_ptr<const PcmData> PcmData::ReadMemory(const std::vector<uint8_t>& bytes, const std::string& name) {
    Memory memory{&bytes, 0};
    SF_VIRTUAL_IO io = MemoryIo();
    SF_INFO info{};
    SndFilePtr file(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!file) throw Error(DSERR_BADFORMAT, "the audio of \"" + name + "\" cannot be read: " + sf_strerror(nullptr));
    return Decode(file.get(), info, name);
}

std::shared_ptr<const PcmData> PcmData::Decode(SNDFILE* sndfile, const SF_INFO& info, const std::string& fileName) {
    if (info.frames <= 0 || info.channels < 1 || info.samplerate <= 0)
        throw Error(DSERR_BADFORMAT, "\"" + fileName + "\" holds no audio");
    if (info.frames > std::numeric_limits<int32_t>::max() / 8 / info.channels)
        throw Error(DSERR_OUTOFMEMORY, "\"" + fileName + "\" is too long for a sound buffer");

    auto data = std::make_shared<PcmData>();
    const int32_t fileChannels = info.channels;
    data->channels_ = fileChannels > 2 ? 2 : fileChannels;
    data->sampleRate_ = info.samplerate;
    data->fileFormat_ = info.format;
    const int32_t sampleBytes = BytesPerSample(info.format);
    data->bytesPerFrame_ = sampleBytes * data->channels_;

    const auto frames = static_cast<std::size_t>(info.frames);
    const bool asShort = sampleBytes <= 2;
    std::vector<int16_t> shorts;
    std::vector<float> floats;
    sf_count_t got = 0;
    if (asShort) {
        shorts.resize(frames * static_cast<std::size_t>(fileChannels));
        got = sf_readf_short(sndfile, shorts.data(), info.frames);
    } else {
        floats.resize(frames * static_cast<std::size_t>(fileChannels));
        got = sf_readf_float(sndfile, floats.data(), info.frames);
    }
    if (got <= 0) throw Error(DSERR_BADFORMAT, "\"" + fileName + "\" holds no readable audio");
    data->frames_ = static_cast<int32_t>(got);
    const auto keep = [&](auto& in, auto& out) {
        const auto n = static_cast<std::size_t>(got);
        if (fileChannels <= 2) {
            in.resize(n * static_cast<std::size_t>(fileChannels));
            out = std::move(in);
            return;
        }
        out.resize(n * 2);  // more than two channels: the first two
        for (std::size_t f = 0; f < n; ++f) {
            out[2 * f] = in[f * static_cast<std::size_t>(fileChannels)];
            out[2 * f + 1] = in[f * static_cast<std::size_t>(fileChannels) + 1];
        }
    };
    if (asShort)
        keep(shorts, data->shorts_);
    else
        keep(floats, *data->floats_);
    return data;
}

std::shared_ptr<const PcmData> PcmData::FromFloat(std::vector<float> samples, int32_t channels, int32_t sampleRate) {
    auto data = std::make_shared<PcmData>();
    data->channels_ = channels;
    data->sampleRate_ = sampleRate;
    data->frames_ = static_cast<int32_t>(samples.size() / static_cast<std::size_t>(channels));
    data->fileFormat_ = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    data->bytesPerFrame_ = 4 * channels;
    *data->floats_ = std::move(samples);
    return data;
}

std::shared_ptr<const std::vector<float>> PcmData::FloatsAt(int32_t sampleRate) const {
    std::lock_guard lock(cacheMutex_);
    auto& slot = converted_[sampleRate];
    if (slot) return slot;
    if (!IsShort() && sampleRate == sampleRate_) return slot = floats_;
    auto out = std::make_shared<std::vector<float>>();
    const std::size_t ch = static_cast<std::size_t>(channels_);
    const auto frames = static_cast<std::size_t>(frames_);
    if (sampleRate == sampleRate_) {
        out->resize(frames * ch);
        for (std::size_t i = 0; i < out->size(); ++i) (*out)[i] = Sample(i);
    } else if (frames > 0) {
        const double step = static_cast<double>(sampleRate_) / sampleRate;
        const auto n = static_cast<std::size_t>(std::floor(static_cast<double>(frames - 1) / step)) + 1;
        out->resize(n * ch);
        for (std::size_t i = 0; i < n; ++i) {
            const double pos = static_cast<double>(i) * step;
            const auto f = static_cast<std::size_t>(pos);
            const auto t = static_cast<float>(pos - static_cast<double>(f));
            const std::size_t g = f + 1 < frames ? f + 1 : f;
            for (std::size_t c = 0; c < ch; ++c) {
                const float a = Sample(f * ch + c);
                (*out)[i * ch + c] = a + (Sample(g * ch + c) - a) * t;
            }
        }
    }
    slot = std::move(out);
    return slot;
}

void PcmData::WriteFile(const std::string& fileName) const {
    SF_INFO info{};
    info.samplerate = sampleRate_;
    info.channels = channels_;
    info.format = SF_FORMAT_WAV | (fileFormat_ & SF_FORMAT_SUBMASK);
    if (!sf_format_check(&info)) info.format = SF_FORMAT_WAV | (IsShort() ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT);
    SndFilePtr file(sf_open(fileName.c_str(), SFM_WRITE, &info));
    if (!file) throw Error(DSERR_INVALIDPARAM, "cannot write \"" + fileName + "\": " + sf_strerror(nullptr));
    const sf_count_t written = IsShort() ? sf_writef_short(file.get(), shorts_.data(), frames_)
                                         : sf_writef_float(file.get(), floats_->data(), frames_);
    if (written != frames_) throw Error(DSERR_GENERIC, "writing \"" + fileName + "\" failed");
}

}  // namespace qxsound::platform
