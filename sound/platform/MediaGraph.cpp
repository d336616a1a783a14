#include "MediaGraph.h"

#include "Mixer.h"
#include "Mp3Producer.h"
#include "OpenALDevice.h"
#include "OpenALRoot.h"

#include <qxsound/Error.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace qxsound::platform {

namespace {

enum class GraphState { Stopped, Paused, Running };

// One graph plays one file on one streaming source of the output device. The graph is all four
// interfaces at once; each interface handed out keeps the graph alive.
class OpenALFilterGraph final : public FilgraphManager,
                                public IMediaControl,
                                public IBasicAudio,
                                public IMediaPosition,
                                public IMediaEvent,
                                public std::enable_shared_from_this<OpenALFilterGraph> {
public:
    explicit OpenALFilterGraph(OutputDevice output) : output_(std::move(output)) {}
    ~OpenALFilterGraph() override { Release(); }

    std::shared_ptr<IMediaControl> MediaControl() override { return shared_from_this(); }
    std::shared_ptr<IBasicAudio> BasicAudio() override { return shared_from_this(); }
    std::shared_ptr<IMediaEvent> MediaEvent() override { return shared_from_this(); }
    std::shared_ptr<IMediaPosition> MediaPosition() override { return shared_from_this(); }

    void RenderFile(const std::string& fileName) override {
        const auto openAL = output_ ? std::dynamic_pointer_cast<OpenALDirectSound>(output_()) : nullptr;
        if (!openAL) throw Error(VFW_E_NO_AUDIO_HARDWARE, "the graph has no output device: create a SoundEngine8 first");
        auto device = openAL->Device();
        auto producer = Mp3Producer::Open(fileName);
        producer->Balance(balance_);
        auto stream = device->GetMixer().Open(producer, true);
        Release();
        device_ = std::move(device);
        producer_ = std::move(producer);
        stream_ = std::move(stream);
        state_ = GraphState::Stopped;
        ApplyToSource();
    }

    void Run() override {
        Rendered();
        if (state_ == GraphState::Paused) {
            // A paused source goes on from the sample it stopped at; any other is started by the mixer.
            ContextGuard guard(*device_);
            ALint state = AL_STOPPED;
            alGetSourcei(stream_->Source(), AL_SOURCE_STATE, &state);
            if (state == AL_PAUSED) alSourcePlay(stream_->Source());
            ThrowOnAlError("resuming a media stream");
        }
        producer_->Hold(false);
        device_->GetMixer().Start(*stream_);
        state_ = GraphState::Running;
    }

    // Silent at once; what the output still holds is heard after the next Run.
    void Pause() override {
        Rendered();
        producer_->Hold(true);
        {
            ContextGuard guard(*device_);
            alSourcePause(stream_->Source());
            ThrowOnAlError("pausing a media stream");
        }
        state_ = GraphState::Paused;
    }

    void Stop() override {
        Rendered();
        producer_->Hold(true);
        device_->GetMixer().Halt(*stream_);
        state_ = GraphState::Stopped;
    }

    int32_t GetVolume() override { return volume_; }
    void SetVolume(int32_t volume) override {
        CheckBufferVolume(volume);
        volume_ = volume;
        ApplyToSource();
    }
    int32_t GetBalance() override { return balance_; }
    void SetBalance(int32_t balance) override {
        if (balance < DSBPAN_LEFT || balance > DSBPAN_RIGHT)
            throw Error(DSERR_INVALIDPARAM, "balance " + std::to_string(balance) + " is outside -10000 to 10000");
        balance_ = balance;
        if (producer_) producer_->Balance(balance);
    }

    double GetDuration() override {
        Rendered();
        return static_cast<double>(producer_->Length()) / producer_->SampleRate();
    }
    double GetCurrentPosition() override {
        Rendered();
        // The producer is ahead of what is heard by what the output holds (to within the one
        // chunk the mixer may be rendering meanwhile).
        const int64_t heard = std::max<int64_t>(0, producer_->Position() - stream_->Unheard());
        return static_cast<double>(heard) / producer_->SampleRate();
    }
    void SetCurrentPosition(double seconds) override {
        Rendered();
        if (!(seconds >= 0.0) || !std::isfinite(seconds))
            throw Error(DSERR_INVALIDPARAM, "position " + std::to_string(seconds) + " s is not a time in the file");
        const double frame = std::min(std::round(seconds * producer_->SampleRate()),
                                      static_cast<double>(producer_->Length()));
        // What the output still holds from the old position goes; nothing more is decoded from
        // there meanwhile.
        producer_->Hold(true);
        device_->GetMixer().Halt(*stream_);
        producer_->Seek(static_cast<int64_t>(frame));
        if (state_ == GraphState::Running) Run();
    }
    double GetRate() override { return rate_; }
    void SetRate(double rate) override {
        if (!(rate > 0.0) || !std::isfinite(rate))
            throw Error(DSERR_INVALIDPARAM, "rate " + std::to_string(rate) + " is not a speed above 0");
        rate_ = rate;
        ApplyToSource();
    }

    int32_t WaitForCompletion(int32_t timeoutMs) override {
        Rendered();
        if (state_ == GraphState::Stopped) throw Error(VFW_E_WRONG_STATE, "the graph is stopped");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (state_ == GraphState::Running && stream_->Ended()) return EC_COMPLETE;
            if (timeoutMs != INFINITE_WAIT && std::chrono::steady_clock::now() >= deadline) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    void Rendered() const {
        if (!producer_) throw Error(VFW_E_WRONG_STATE, "no file has been rendered into the graph");
    }

    // Volume and rate act on the stream's source at once.
    void ApplyToSource() {
        if (!stream_) return;
        ContextGuard guard(*device_);
        alSourcef(stream_->Source(), AL_GAIN, BufferVolumeGain(volume_));
        alSourcef(stream_->Source(), AL_PITCH, static_cast<float>(rate_));
        ThrowOnAlError("setting the volume and rate of a media stream");
    }

    void Release() {
        if (!stream_) return;
        producer_->Hold(true);
        device_->GetMixer().Close(stream_);
        stream_.reset();
        producer_.reset();
    }

    OutputDevice output_;
    std::shared_ptr<OpenALDevice> device_;  // of the rendered file
    std::shared_ptr<Mp3Producer> producer_;
    std::shared_ptr<Stream> stream_;
    GraphState state_ = GraphState::Stopped;
    int32_t volume_ = 0;
    int32_t balance_ = 0;
    double rate_ = 1.0;
};

std::mutex factoryMutex;
FilterGraphFactory& Factory() {
    static FilterGraphFactory factory;
    return factory;
}

}  // namespace

std::shared_ptr<FilgraphManager> CreateFilterGraph(OutputDevice output) {
    FilterGraphFactory factory;
    {
        std::lock_guard lock(factoryMutex);
        factory = Factory();
    }
    if (factory) return factory(std::move(output));
    return std::make_shared<OpenALFilterGraph>(std::move(output));
}

void SetFilterGraphFactory(FilterGraphFactory factory) {
    std::lock_guard lock(factoryMutex);
    Factory() = std::move(factory);
}

}  // namespace qxsound::platform
