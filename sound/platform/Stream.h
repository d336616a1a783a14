// One OpenAL source fed from one producer through a queue of buffers.
//
// OpenAL Soft mixes a whole device period at once, so a stream keeps more than a period queued
// ahead of the device (StreamTiming). Positions are frames of the producer's output. A source that
// runs dry (an underrun) plays on from where it stopped once refilled: what was due is heard late,
// never skipped.
#pragma once

#include "Producer.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qxsound::platform {

// How far ahead of a device its streams are kept: a period (mixed at once), a buffer (buffers come
// back whole) and the feeder's wake-up (its tick plus the scheduler's delay on a loaded machine).
struct StreamTiming {
    double period = 0.0;  // seconds the device mixes at once
    double chunk = 0.0;   // seconds per AL buffer and per Render call
    double tick = 0.0;    // seconds between the feeder's looks at a playing stream
    double ahead = 0.0;   // seconds kept queued ahead of the device

    // A real-time device that mixes `period` seconds at once.
    static StreamTiming RealTime(double period);
    // A loopback device rendered in slices of `slice` seconds, the streams refilled before each.
    static StreamTiming Loopback(double slice);
};

class Stream {
public:
    // Throws qxsound::Error when OpenAL has no source or buffers left.
    Stream(std::shared_ptr<Producer> producer, ALCcontext* context, const StreamTiming& timing, bool directChannels);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    ALuint Source() const noexcept { return source_; }
    // Whether the producer finished and everything it gave has been played.
    bool Ended() const noexcept { return ended_.load(std::memory_order_acquire); }
    // Frames of the producer's output heard so far: mixed by the device, or skipped by a Halt that
    // the producer could not take back.
    int64_t Position();
    // Frames given by the producer that are not heard yet: queued, or rendered for the queue.
    int64_t Unheard();
    // Every frame before this one has been heard (a lower bound of Position that takes no lock).
    int64_t PlayedBefore() const noexcept { return played_.load(std::memory_order_acquire); }
    // How often the source ran dry while the producer still had audio to give.
    int64_t Underruns() const noexcept { return underruns_.load(std::memory_order_relaxed); }
    // Frames of the producer's output kept queued ahead of the device: from the timing at first,
    // deeper after each underrun up to twice that (the machine turned out slower than allowed for).
    int32_t AheadFrames() const noexcept { return aheadFrames_.load(std::memory_order_relaxed); }

    // Feed the stream (again) from its producer.
    void Start();
    // Stops the source at once and takes back its queued audio (the producer is told, Producer::
    // Rewind); the stream stays started. Returns the position heard.
    int64_t Halt();

private:
    friend class Mixer;

    // Position, with mutex_ held.
    int64_t Heard();
    // One refill: reclaims played buffers, renders up to the queue's depth, (re)starts the source.
    void Feed();
    // Releases the AL objects and lets the feeding thread go; the stream is silent afterwards.
    void Close();
    void Wake();
    // The feeding thread of a real-time device's stream.
    void StartFeeding();
    void StopFeeding();
    bool FeederExited() const noexcept { return exited_.load(std::memory_order_acquire); }
    void RunFeeder();

    // With mutex_ held and the context current:
    void Reclaim();
    void UnqueueAll();
    void RanDry();
    void Append(const float* samples);
    void DeleteAlObjects();

    std::shared_ptr<Producer> producer_;
    ALCcontext* context_;
    ALenum format_;
    int32_t channels_;
    int32_t rate_;
    int32_t chunkFrames_;
    std::atomic<int32_t> aheadFrames_;
    int32_t maxAheadFrames_;
    double tick_;

    std::mutex feedMutex_;  // one Feed at a time: the feeding thread, or Service on the host thread
    std::vector<float> scratch_;  // feedMutex_

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    ALuint source_ = 0;
    struct Queued {
        ALuint buffer;
        int32_t frames;
    };
    std::deque<Queued> queue_;  // in the source's queue order
    int64_t queuedFrames_ = 0;
    std::vector<ALuint> buffers_;
    std::vector<ALuint> free_;
    int64_t base_ = 0;       // producer frame at the head of queue_
    int64_t taken_ = 0;      // producer frames rendered, less those taken back
    int64_t rewind_ = 0;     // frames taken back that the producer has not been told of
    uint64_t halts_ = 0;     // a render in flight across a Halt is taken back too
    bool playing_ = false;   // the source was started and has not been seen to run dry
    bool active_ = false;
    bool producerDone_ = false;
    bool idle_ = false;      // the producer's last answer was Idle
    bool closed_ = false;
    bool woken_ = false;
    bool stopFeeding_ = false;
    std::atomic<bool> ended_{false};
    std::atomic<int64_t> played_{0};
    std::atomic<int64_t> underruns_{0};

    std::thread feeder_;
    std::atomic<bool> exited_{false};
};

}  // namespace qxsound::platform
