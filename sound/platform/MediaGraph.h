// DirectShow-shaped media playback for MP3 files: a filter graph renders a file into a decoding
// chain (libmpg123) and streams it to the output device through the device's mixer thread. The
// graph is seen through four interfaces, any of which a graph may lack. Failures throw
// qxsound::Error with DirectShow's codes.
#pragma once

#include "DirectSound.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qxsound::platform {

// The completion code of a graph that has played to its end.
inline constexpr int32_t EC_COMPLETE = 1;
// A wait without limit.
inline constexpr int32_t INFINITE_WAIT = -1;

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    // Builds the decoding chain for the file; a file rendered before is let go. Throws
    // VFW_E_NOT_FOUND for a file that cannot be read, VFW_E_UNSUPPORTED_STREAM for one that does not
    // decode, VFW_E_NO_AUDIO_HARDWARE for a graph without an output device.
    virtual void RenderFile(const std::string& fileName) = 0;
    // Plays from the current position (after the end: completes at once).
    virtual void Run() = 0;
    // Holds at the current position, silent at once.
    virtual void Pause() = 0;
    // Silences at once; the position stays.
    virtual void Stop() = 0;
};

class IBasicAudio {
public:
    virtual ~IBasicAudio() = default;
    // Hundredths of a decibel, -10000 (silent) to 0.
    virtual int32_t GetVolume() = 0;
    virtual void SetVolume(int32_t volume) = 0;
    // -10000 (left only) to 10000 (right only): the opposite channel is attenuated by that many
    // hundredths of a decibel.
    virtual int32_t GetBalance() = 0;
    virtual void SetBalance(int32_t balance) = 0;
};

class IMediaPosition {
public:
    virtual ~IMediaPosition() = default;
    // Seconds.
    virtual double GetDuration() = 0;
    virtual double GetCurrentPosition() = 0;
    // Past the end means at the end.
    virtual void SetCurrentPosition(double seconds) = 0;
    // Playback speed as a multiple of the normal one (above 0); the pitch follows it.
    virtual double GetRate() = 0;
    virtual void SetRate(double rate) = 0;
};

class IMediaEvent {
public:
    virtual ~IMediaEvent() = default;
    // EC_COMPLETE once the graph has played to its end since it was last run; 0 when that has not
    // happened within `timeoutMs` (INFINITE_WAIT: no limit). Throws VFW_E_WRONG_STATE for a stopped
    // graph.
    virtual int32_t WaitForCompletion(int32_t timeoutMs) = 0;
};

// The filter graph manager: its four interfaces, none where absent.
class FilgraphManager {
public:
    virtual ~FilgraphManager() = default;
    virtual std::shared_ptr<IMediaControl> MediaControl() = 0;
    virtual std::shared_ptr<IBasicAudio> BasicAudio() = 0;
    virtual std::shared_ptr<IMediaEvent> MediaEvent() = 0;
    virtual std::shared_ptr<IMediaPosition> MediaPosition() = 0;
};

// Where a graph plays: asked at every RenderFile, so a graph made before the output device exists
// plays once it does. An OpenAL output device of this layer; none (or another kind): RenderFile fails.
using OutputDevice = std::function<std::shared_ptr<DirectSound8>()>;

// A graph that plays on `output`; made by the installed factory, if any.
std::shared_ptr<FilgraphManager> CreateFilterGraph(OutputDevice output);

// Replaces the graph factory (tests install graphs lacking interfaces); an empty function
// restores the real one.
using FilterGraphFactory = std::function<std::shared_ptr<FilgraphManager>(OutputDevice output)>;
void SetFilterGraphFactory(FilterGraphFactory factory);

}  // namespace qxsound::platform
