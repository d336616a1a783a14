#include "CdAudio.h"

#include "Mixer.h"
#include "StreamOutput.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace qxsound::platform {

namespace {

constexpr int32_t kFramesPerSector = 588;  // stereo samples in one CD frame
constexpr int64_t kLeadIn = 150;           // frames before logical sector 0
constexpr int32_t kSectorsPerRead = 8;

// libcdio's own log handler ends the process on an error (a damaged cue sheet is one); the
// interpreter reports failures through its status codes instead.
void IgnoreCdioLog(cdio_log_level_t, const char*) {}

}  // namespace

// The disc's sectors from a start to an end frame, read on the mixer thread. The host's calls and
// the mixer meet under the mutex, which a read from the disc does not hold: a drive that spins up
// or retries delays only its own stream, never the host.
class CdProducer final : public Producer {
public:
    explicit CdProducer(CdIo_t* cdio) : cdio_(cdio) {}
    // The disc's tracks (starts, end) and which of them hold data, which plays as silence.
    void SetTracks(const MciDisc& disc, std::vector<bool> data) {
        std::lock_guard lock(mutex_);
        disc_ = disc;
        data_ = std::move(data);
    }
    ~CdProducer() override { cdio_destroy(cdio_); }

    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return 44100; }

    RenderResult Render(float* out, int32_t frames) noexcept override {
        std::unique_lock lock(mutex_);
        if (!playing_) return RenderResult::Finished;
        int32_t written = 0;
        while (written < frames && position_ < end_) {
            if (position_ < bufferStart_ || position_ >= bufferStart_ + bufferSectors_) {
                if (!Fill(lock)) break;
                if (!playing_) return RenderResult::Finished;  // halted during the read
                continue;  // the position may have moved meanwhile
            }
            const int16_t* sector = buffer_.data() + (position_ - bufferStart_) * kFramesPerSector * 2;
            const int32_t n = std::min(frames - written, kFramesPerSector - sample_);
            for (int32_t i = 0; i < 2 * n; ++i) out[2 * written + i] = gain_ * sector[2 * sample_ + i] / 32768.0f;
            written += n;
            sample_ += n;
            if (sample_ == kFramesPerSector) {
                sample_ = 0;
                ++position_;
            }
        }
        if (written == 0) {
            playing_ = false;
            atEnd_ = true;
            return RenderResult::Finished;
        }
        std::fill(out + 2 * written, out + 2 * frames, 0.0f);
        return RenderResult::Playing;
    }

    // Plays from the start of sector `from` (from the sample it holds when that is the sector it is
    // at) to sector `to`.
    void Start(int64_t from, int64_t to) {
        std::lock_guard lock(mutex_);
        if (from != position_) Move(from);
        end_ = to;
        atEnd_ = false;
        playing_ = true;
    }
    void Halt() {
        std::lock_guard lock(mutex_);
        playing_ = false;
    }
    void Seek(int64_t position) {
        std::lock_guard lock(mutex_);
        playing_ = false;
        atEnd_ = false;
        Move(position);
    }
    // Stopped at `sample` (588 to a sector).
    void SeekSample(int64_t sample) {
        std::lock_guard lock(mutex_);
        playing_ = false;
        atEnd_ = false;
        Move(sample / kFramesPerSector);
        sample_ = static_cast<int32_t>(sample % kFramesPerSector);
    }
    // Samples given out from the start of the disc.
    int64_t Sample() {
        std::lock_guard lock(mutex_);
        return position_ * kFramesPerSector + sample_;
    }
    bool Sounding(const PlayerStream& stream) {
        std::lock_guard lock(mutex_);
        return playing_ || (atEnd_ && !stream.Ended());
    }
    void Volume(int32_t volume) {
        std::lock_guard lock(mutex_);
        gain_ = static_cast<float>(volume) / 1000.0f;
    }

private:
    void Move(int64_t position) {
        position_ = position;
        sample_ = 0;
        ++moves_;
    }

    // Reads the sectors from the position on, up to the next track, with `lock` released meanwhile;
    // false (and the play ends) when they cannot be read. A read overtaken by a move is dropped.
    bool Fill(std::unique_lock<std::mutex>& lock) {
        const int64_t from = position_;
        const uint64_t moves = moves_;
        const auto next = std::upper_bound(disc_.trackStarts.begin(), disc_.trackStarts.end(), from);
        const int64_t trackEnd = next == disc_.trackStarts.end() ? disc_.end : *next;
        const int32_t count = static_cast<int32_t>(std::min({int64_t{kSectorsPerRead}, end_ - from, trackEnd - from}));
        const auto track = next - disc_.trackStarts.begin() - 1;
        const bool data =
            track >= 0 && static_cast<std::size_t>(track) < data_.size() && data_[static_cast<std::size_t>(track)];

        lock.unlock();
        reading_.resize(static_cast<std::size_t>(count) * kFramesPerSector * 2);
        bool read = true;
        if (data) {
            std::fill(reading_.begin(), reading_.end(), int16_t{0});
        } else {
            read = from >= kLeadIn &&
                   cdio_read_audio_sectors(cdio_, reading_.data(), static_cast<lsn_t>(from - kLeadIn),
                                           static_cast<uint32_t>(count)) == DRIVER_OP_SUCCESS;
        }
        lock.lock();

        if (moves != moves_) return true;
        if (!read) {
            bufferSectors_ = 0;
            return false;
        }
        std::swap(buffer_, reading_);
        bufferStart_ = from;
        bufferSectors_ = count;
        return true;
    }

    CdIo_t* const cdio_;
    std::mutex mutex_;
    int64_t position_ = kLeadIn;
    int32_t sample_ = 0;  // within the sector at position_
    int64_t end_ = 0;
    bool playing_ = false;
    bool atEnd_ = false;
    float gain_ = 1.0f;
    MciDisc disc_;
    std::vector<bool> data_;        // by track index
    std::vector<int16_t> buffer_;   // bufferSectors_ sectors from bufferStart_
    std::vector<int16_t> reading_;  // the mixer thread's read in progress
    uint64_t moves_ = 0;            // counts Move
    int64_t bufferStart_ = 0;
    int32_t bufferSectors_ = 0;
};

CdAudio::CdAudio(const std::string& element) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { cdio_log_set_handler(IgnoreCdioLog); });
    CdIo_t* cdio = nullptr;
    const std::string lower = MciLower(element);
    if (element.empty()) {
        char* drive = cdio_get_default_device(nullptr);
        if (!drive) throw MciFailure{MCIERR_DEVICE_NOT_READY};
        cdio = cdio_open(drive, DRIVER_DEVICE);
        cdio_free(drive);
    } else if (lower.size() > 4 && lower.ends_with(".cue")) {
        cdio = cdio_open_cue(element.c_str());
    } else {
        cdio = cdio_open(element.c_str(), DRIVER_DEVICE);
    }
    if (!cdio) throw MciFailure{element.empty() ? MCIERR_DEVICE_NOT_READY : MCIERR_INVALID_DEVICE_NAME};
    producer_ = std::make_shared<CdProducer>(cdio);  // owns cdio from here

    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || leadOut == CDIO_INVALID_LSN)
        throw MciFailure{MCIERR_DEVICE_NOT_READY};
    disc_.firstTrack = first;
    std::vector<bool> data;
    for (int t = first; t < first + count; ++t) {
        data.push_back(cdio_get_track_format(cdio, static_cast<track_t>(t)) != TRACK_FORMAT_AUDIO);
        const lsn_t start = cdio_get_track_lsn(cdio, static_cast<track_t>(t));
        if (start == CDIO_INVALID_LSN || start < 0 ||
            (!disc_.trackStarts.empty() && start + kLeadIn < disc_.trackStarts.back()))
            throw MciFailure{MCIERR_DEVICE_NOT_READY};
        disc_.trackStarts.push_back(start + kLeadIn);
    }
    disc_.end = leadOut + kLeadIn;
    if (disc_.end < disc_.trackStarts.back()) throw MciFailure{MCIERR_DEVICE_NOT_READY};
    if (char* mcn = cdio_get_mcn(cdio)) {
        mcn_ = mcn;
        cdio_free(mcn);
    }
    producer_->SetTracks(disc_, std::move(data));
    producer_->Seek(disc_.trackStarts.front());
}

CdAudio::~CdAudio() = default;  // the stream closes first, then the producer lets the disc go

int32_t CdAudio::TrackAt(int64_t position) const noexcept {
    const auto after = std::upper_bound(disc_.trackStarts.begin(), disc_.trackStarts.end(), position);
    const auto index = after == disc_.trackStarts.begin() ? 0 : after - disc_.trackStarts.begin() - 1;
    return disc_.firstTrack + static_cast<int32_t>(index);
}

uint32_t CdAudio::Identity() const noexcept {
    uint32_t digits = 0;
    for (int64_t start : disc_.trackStarts)
        for (int64_t seconds = start / 75; seconds > 0; seconds /= 10) digits += static_cast<uint32_t>(seconds % 10);
    const auto seconds = static_cast<uint32_t>(disc_.end / 75 - disc_.trackStarts.front() / 75);
    return (digits % 0xFF) << 24 | (seconds & 0xFFFF) << 8 | static_cast<uint32_t>(TrackCount() & 0xFF);
}

void CdAudio::Play(int64_t from, int64_t to) {
    if (!stream_) {
        auto stream = std::make_unique<PlayerStream>();
        stream->Open(producer_);
        stream_ = std::move(stream);
    }
    // What is queued is dropped, so the play goes on from the sample heard (or `from`) at once.
    Hold();
    producer_->Start(from, to);
    stream_->Start();
    paused_ = false;
}

void CdAudio::Pause() {
    Hold();
    paused_ = true;
}

void CdAudio::Stop() {
    Hold();
    paused_ = false;
}

void CdAudio::Hold() {
    producer_->Halt();
    if (!stream_) return;
    const int64_t heard = HeardSample();
    stream_->Halt();
    producer_->SeekSample(heard);
}

int64_t CdAudio::HeardSample() const {
    // The producer is ahead of what is heard by what the stream holds (to within the one chunk
    // the mixer may be rendering meanwhile).
    return std::max<int64_t>(0, producer_->Sample() - (stream_ ? stream_->Unheard() : 0));
}

void CdAudio::Seek(int64_t position) {
    producer_->Seek(position);
    if (stream_) stream_->Halt();
    paused_ = false;
}

int64_t CdAudio::Position() const { return HeardSample() / kFramesPerSector; }

std::string CdAudio::Mode() const {
    if (stream_ && producer_->Sounding(*stream_)) return "playing";
    return paused_ ? "paused" : "stopped";
}

void CdAudio::Volume(int32_t volume) { producer_->Volume(volume); }

}  // namespace qxsound::platform
