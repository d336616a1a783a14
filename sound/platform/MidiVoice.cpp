#include "MidiVoice.h"

#include "MidiSynth.h"

#include <algorithm>
#include <cmath>

namespace qxsound::platform {

namespace {

constexpr int kChannels = 16;
// FluidSynth's own block: it takes events and renders in steps of this many frames.
constexpr int32_t kBlock = 64;
// How long released notes may ring on after a piece's end.
constexpr double kLongestTail = 2.0;

class MidiVoice final : public SegmentVoice {
public:
    MidiVoice(std::shared_ptr<const MidiFile> file, int32_t rate) : file_(std::move(file)), rate_(rate) {
        MidiSynth::Prepare(rate);
    }
    ~MidiVoice() override { MidiSynth::Release(synth_); }

    int32_t Channels() const noexcept override { return 2; }

    void Render(float* out, int64_t from, int32_t frames) noexcept override {
        if (!Ready()) {
            std::fill(out, out + 2 * static_cast<std::ptrdiff_t>(frames), 0.0f);
            return;
        }
        std::lock_guard lock(MidiSynth::Lock());
        if (from != next_) JumpTo(from);
        const auto& events = file_->Events();
        for (int32_t done = 0; done < frames;) {
            float* at = out + 2 * static_cast<std::ptrdiff_t>(done);
            if (left_ == 0) {
                // The synthesizer takes an event at the start of its next block.
                for (; event_ < events.size() && FrameOf(events[event_]) <= from + done; ++event_) Send(events[event_]);
                if (frames - done >= kBlock) {  // a whole block goes straight out
                    fluid_synth_write_float(synth_, kBlock, at, 0, 2, at, 1, 2);
                    done += kBlock;
                    continue;
                }
                NextBlock();
            }
            done += TakeBlock(at, frames - done);
        }
        next_ = from + frames;
    }

    bool RenderTail(float* out, int32_t frames) noexcept override {
        if (!synth_) return false;
        std::lock_guard lock(MidiSynth::Lock());
        if (tail_ == 0) ReleaseNotes();
        if (fluid_synth_get_active_voice_count(synth_) == 0 || tail_ >= static_cast<int64_t>(kLongestTail * rate_))
            return false;
        for (int32_t done = 0; done < frames;) {
            if (left_ == 0) NextBlock();
            done += TakeBlock(out + 2 * static_cast<std::ptrdiff_t>(done), frames - done);
        }
        tail_ += frames;
        return true;
    }

private:
    bool Ready() noexcept {
        if (!synth_ && !failed_) {
            synth_ = MidiSynth::Acquire(rate_);
            failed_ = !synth_;
            next_ = -1;  // the first call is a jump to its start
        }
        return synth_ != nullptr;
    }

    int64_t FrameOf(const MidiEvent& e) const noexcept { return std::llround(e.seconds * rate_); }

    void Send(const MidiEvent& e) noexcept {
        const int ch = e.status & 0x0F;
        switch (e.status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth_, ch, e.data1); break;
        case 0x90: fluid_synth_noteon(synth_, ch, e.data1, e.data2); break;  // velocity 0 is a note off
        case 0xA0: fluid_synth_key_pressure(synth_, ch, e.data1, e.data2); break;
        case 0xB0: fluid_synth_cc(synth_, ch, e.data1, e.data2); break;
        case 0xC0: fluid_synth_program_change(synth_, ch, e.data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth_, ch, e.data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth_, ch, e.data1 | (e.data2 << 7)); break;
        case 0xF0:
            fluid_synth_sysex(synth_, file_->SysexBytes().data() + e.sysex, static_cast<int>(e.sysexLength), nullptr,
                              nullptr, nullptr, 0);
            break;
        default: break;
        }
    }

    void ReleaseNotes() noexcept {
        for (int ch = 0; ch < kChannels; ++ch) fluid_synth_cc(synth_, ch, 64, 0);  // sustain pedal up
        fluid_synth_all_notes_off(synth_, -1);
    }

    // Continues at frame `to`: the notes sounding are released (they ring on), the channels take
    // the programs and controllers the file has set before `to`.
    void JumpTo(int64_t to) noexcept {
        if (next_ >= 0) ReleaseNotes();
        for (int ch = 0; ch < kChannels && next_ >= 0; ++ch) {
            fluid_synth_cc(synth_, ch, 121, 0);  // reset controllers
            fluid_synth_cc(synth_, ch, 7, 100);
            fluid_synth_cc(synth_, ch, 10, 64);
            fluid_synth_program_change(synth_, ch, 0);
        }
        const auto& events = file_->Events();
        for (event_ = 0; event_ < events.size() && FrameOf(events[event_]) < to; ++event_)
            if (!events[event_].IsNote()) Send(events[event_]);
        tail_ = 0;
    }

    // Synthesises one block. Whole blocks only: a synthesizer goes back to the pool with none of
    // its output left over for the next piece.
    void NextBlock() noexcept {
        fluid_synth_write_float(synth_, kBlock, block_, 0, 2, block_, 1, 2);
        left_ = kBlock;
    }

    // Writes what is left of the block, up to `frames` frames; returns how many.
    int32_t TakeBlock(float* out, int32_t frames) noexcept {
        const int32_t n = std::min(left_, frames);
        std::copy_n(block_ + 2 * (kBlock - left_), 2 * n, out);
        left_ -= n;
        return n;
    }

    std::shared_ptr<const MidiFile> file_;
    int32_t rate_;
    fluid_synth_t* synth_ = nullptr;
    bool failed_ = false;
    int64_t next_ = -1;        // the frame the last call ended at
    std::size_t event_ = 0;    // the next event to send
    int64_t tail_ = 0;         // frames rendered after the end
    float block_[2 * kBlock]{};
    int32_t left_ = 0;         // frames of block_ not yet taken
};

}  // namespace

std::unique_ptr<SegmentVoice> MakeMidiVoice(std::shared_ptr<const MidiFile> file, int32_t sampleRate) {
    return std::make_unique<MidiVoice>(std::move(file), sampleRate);
}

}  // namespace qxsound::platform
