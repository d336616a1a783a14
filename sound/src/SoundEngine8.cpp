#include <qxsound/SoundEngine8.h>

#include <qxsound/SoundDevices8.h>

#include "LibraryContext.h"
#include "ModPlug.h"
#include "SoundEngine8Core.h"
#include "StreamOutput.h"

#include <cmath>
#include <mutex>

namespace qxsound {

namespace {

// Restores the thread's context if construction fails before the engine is complete.
class ContextRollback {
public:
    explicit ContextRollback(LibraryContext& context)
        : context_(context),
          root_(context.root),
          device_(context.outputDevice),
          performance_(context.performance),
          loader_(context.loader),
          windowHandle_(context.windowHandle),
          engine_(context.engine),
          modPlayerHandle_(context.modPlayerHandle) {}
    ~ContextRollback() {
        if (committed_) return;
        context_.root = std::move(root_);
        context_.outputDevice = std::move(device_);
        context_.performance = std::move(performance_);
        context_.loader = std::move(loader_);
        context_.windowHandle = windowHandle_;
        context_.engine = std::move(engine_);
        context_.modPlayerHandle = modPlayerHandle_;
    }
    // The older engine's entries are let go only now, so a failed construction leaves them.
    void Commit() {
        committed_ = true;
        engine_.reset();
    }

private:
    LibraryContext& context_;
    std::shared_ptr<platform::DirectX8> root_;
    std::shared_ptr<platform::DirectSound8> device_;
    std::shared_ptr<platform::DirectMusicPerformance8> performance_;
    std::shared_ptr<platform::DirectMusicLoader8> loader_;
    int32_t windowHandle_;
    std::shared_ptr<EngineCore> engine_;
    int32_t modPlayerHandle_;
    bool committed_ = false;
};

template <typename F>
void IgnoringFailures(F&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

bool EngineCore::IsCurrent() const { return Context().engine.get() == this; }

platform::DSBUFFERDESC EngineCore::MakeBufferDescription(bool is3D) const {
    using namespace platform;
    DSBUFFERDESC desc;
    desc.lFlags = is3D ? DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_MUTE3DATMAXDISTANCE
                       : DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;
    if (focus == QX_FOCUS_GLOBAL) desc.lFlags |= DSBCAPS_GLOBALFOCUS;
    if (focus == QX_FOCUS_STICKY) desc.lFlags |= DSBCAPS_STICKYFOCUS;
    return desc;
}

EngineCore::~EngineCore() {
    LibraryContext& context = Context();
    IgnoringFailures([&] {
        if (performance) performance->CloseDown();
    });
    // Entries of a newer engine are left alone.
    if (context.performance == performance) context.performance.reset();
    performance.reset();
    if (context.loader == loader) context.loader.reset();
    loader.reset();
    if (context.outputDevice == outputDevice) context.outputDevice.reset();
    outputDevice.reset();
    if (context.root == root) {
        context.root.reset();
        context.windowHandle = 0;
    }
    root.reset();
    if (context.engine.get() == this) context.engine.reset();
    if (modSupport) {
        if (context.modPlayerHandle == modPlayerHandle) context.modPlayerHandle = 0;
        IgnoringFailures([&] { platform::ModPlug_Destroy(modPlayerHandle); });
    }
}

SoundEngine8::SoundEngine8() : core_(std::make_shared<EngineCore>()) {
    // The module player and the CD audio device stream to the output device of the calling
    // thread's engine.
    static std::once_flag resolverInstalled;
    std::call_once(resolverInstalled,
                   [] { platform::SetStreamOutputResolver([] { return Context().outputDevice; }); });
    LibraryContext& context = Context();
    ContextRollback rollback(context);

    // 1-5: any failure here fails the creation.
    core_->root = platform::CreateDirectX8();
    context.root = core_->root;
    context.engine = core_;  // SetPlaybackDevice publishes only for the context's engine
    SetPlaybackDevice("");
    core_->performance = core_->root->DirectMusicPerformanceCreate();
    context.performance = core_->performance;
    core_->loader = core_->root->DirectMusicLoaderCreate();
    context.loader = core_->loader;
    core_->windowHandle = HiddenWindowHandle();
    context.windowHandle = core_->windowHandle;

    // 6: the module player; its absence only turns module support off.
    try {
        core_->modPlayerHandle = platform::ModPlug_CreateEx("loop|true");
        core_->modSupport = true;
        platform::ModPlug_SetWindow(core_->modPlayerHandle, core_->windowHandle);
    } catch (...) {
        if (core_->modSupport) IgnoringFailures([&] { platform::ModPlug_Destroy(core_->modPlayerHandle); });
        core_->modSupport = false;
        core_->modPlayerHandle = 0;
    }
    context.modPlayerHandle = core_->modPlayerHandle;

    // 7: failures ignored, every step runs.
    IgnoringFailures([&] { core_->focus = QX_FOCUS_NORMAL; });
    IgnoringFailures([&] { core_->outputDevice->SetCooperativeLevel(core_->windowHandle, platform::DSSCL_NORMAL); });
    IgnoringFailures([&] {
        platform::DMUS_AUDIOPARAMS params;
        core_->performance->InitAudio(0, platform::DMUS_AUDIOF_ALL, params, nullptr,
                                      platform::DMUS_APATH_SHARED_STEREOPLUSREVERB, 64);
    });
    IgnoringFailures([&] { core_->performance->SetMasterAutoDownload(true); });
    rollback.Commit();
}

SoundEngine8::~SoundEngine8() = default;

CONST_QX_FOCUS SoundEngine8::Focus() const { return core_->focus; }
void SoundEngine8::Focus(CONST_QX_FOCUS focus) { core_->focus = focus; }

bool SoundEngine8::SetPlaybackDevice(const std::string& sGuid) {
    // The new device is created before the old one is let go: a GUID that names no device leaves
    // the device in use selected.
    auto device = core_->root->DirectSoundCreate(sGuid);
    core_->outputDevice = std::move(device);
    if (core_->IsCurrent()) Context().outputDevice = core_->outputDevice;
    return core_->outputDevice != nullptr;
}

bool SoundEngine8::ModSupportAvailable() const { return core_->modSupport; }

float SoundEngine8::MasterTempo() const { return core_->performance->GetMasterTempo(); }
void SoundEngine8::MasterTempo(float tempo) { core_->performance->SetMasterTempo(tempo); }

float SoundEngine8::MasterVolume() const { return static_cast<float>(core_->performance->GetMasterVolume()); }

void SoundEngine8::MasterVolume(float volume) {
    const float rounded = std::nearbyint(volume);  // the default rounding mode: halves to even
    if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f))
        throw Error(DSERR_INVALIDPARAM, "master volume " + std::to_string(volume) + " is not a 32-bit integer");
    core_->performance->SetMasterVolume(static_cast<int32_t>(rounded));
}

int16_t SoundEngine8::MasterGrooveLevel() const { return core_->performance->GetMasterGrooveLevel(); }
void SoundEngine8::MasterGrooveLevel(int16_t level) { core_->performance->SetMasterGrooveLevel(level); }

int32_t SoundEngine8::SpeakerConfig() const { return core_->outputDevice->GetSpeakerConfig(); }
void SoundEngine8::SpeakerConfig(int32_t config) { core_->outputDevice->SetSpeakerConfig(config); }

std::string SoundEngine8::Version() const {
    constexpr int major = 1, minor = 7, revision = 0;
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

DSCAPS SoundEngine8::ActiveSoundDeviceCapabilities() const { return core_->outputDevice->GetCaps(); }

std::shared_ptr<SoundDevices8> SoundEngine8::GetSoundDevices() const {
    return std::shared_ptr<SoundDevices8>(new SoundDevices8());
}

}  // namespace qxsound
