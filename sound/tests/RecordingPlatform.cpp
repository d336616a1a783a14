#include "RecordingPlatform.h"

#include <qxsound/Error.h>

namespace qxtest {

using namespace qxsound::platform;

void Recorder::Call(const std::string& entry, const std::string& name) {
    log.push_back(entry);
    if (failing.count(name)) throw qxsound::Error(qxsound::DSERR_GENERIC, name + " fails in this test");
}

std::vector<std::string> Recorder::Matching(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : log)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

namespace {

using RecorderPtr = std::shared_ptr<Recorder>;

class FakeBuffer final : public DirectSoundSecondaryBuffer8 {
public:
    FakeBuffer(RecorderPtr r, DSBUFFERDESC desc) : r_(std::move(r)), desc_(std::move(desc)) {}
    ~FakeBuffer() override { r_->log.push_back("~Buffer"); }
    void Play(int32_t flags) override { r_->Call("Play(" + std::to_string(flags) + ")", "Play"); playing_ = true; }
    void Stop() override { r_->Call("Stop", "Stop"); playing_ = false; }
    int32_t GetStatus() override { r_->Call("GetStatus", "GetStatus"); return playing_ ? DSBSTATUS_PLAYING : 0; }
    DSCURSORS GetCurrentPosition() override { return {position_, position_}; }
    void SetCurrentPosition(int32_t p) override {
        r_->Call("SetCurrentPosition(" + std::to_string(p) + ")", "SetCurrentPosition");
        position_ = p;
    }
    int32_t GetVolume() override { r_->Call("GetVolume", "GetVolume"); return volume_; }
    void SetVolume(int32_t v) override { r_->Call("SetVolume(" + std::to_string(v) + ")", "SetVolume"); volume_ = v; }
    int32_t GetPan() override { return 0; }
    void SetPan(int32_t) override {}
    int32_t GetFrequency() override { return 0; }
    void SetFrequency(int32_t) override {}
    void SaveToFile(const std::string& f) override { r_->Call("SaveToFile(" + f + ")", "SaveToFile"); }
    DSBUFFERDESC GetCaps() override { return desc_; }
    std::shared_ptr<DirectSound3DBuffer8> GetDirectSound3DBuffer() override { return nullptr; }
    void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t*) override {
        std::string entry = "SetFX(" + std::to_string(count);
        for (int32_t i = 0; i < count; ++i) entry += "," + effects[i].guidDSFXClass;
        r_->Call(entry + ")", "SetFX");
    }

    bool playing_ = false;

private:
    RecorderPtr r_;
    DSBUFFERDESC desc_;
    int32_t position_ = 0;
    int32_t volume_ = 0;
};

class FakeDevice final : public DirectSound8 {
public:
    explicit FakeDevice(RecorderPtr r) : r_(std::move(r)) {}
    ~FakeDevice() override { r_->log.push_back("~DirectSound"); }
    void SetCooperativeLevel(int32_t w, int32_t level) override {
        r_->Call("SetCooperativeLevel(" + std::to_string(w) + "," + std::to_string(level) + ")", "SetCooperativeLevel");
    }
    qxsound::DSCAPS GetCaps() override {
        r_->Call("GetCaps", "GetCaps");
        qxsound::DSCAPS caps;
        caps.lFlags = 7;
        return caps;
    }
    int32_t GetSpeakerConfig() override { r_->Call("GetSpeakerConfig", "GetSpeakerConfig"); return speaker_; }
    void SetSpeakerConfig(int32_t c) override {
        r_->Call("SetSpeakerConfig(" + std::to_string(c) + ")", "SetSpeakerConfig");
        speaker_ = c;
    }
    std::shared_ptr<DirectSoundSecondaryBuffer8> CreateSoundBufferFromFile(const std::string& f,
                                                                           const DSBUFFERDESC& desc) override {
        r_->Call("CreateSoundBufferFromFile(" + f + "," + std::to_string(desc.lFlags) + ")", "CreateSoundBufferFromFile");
        return std::make_shared<FakeBuffer>(r_, desc);
    }
    std::shared_ptr<DirectSound3DListener8> GetDirectSound3DListener() override {
        r_->Call("GetDirectSound3DListener", "GetDirectSound3DListener");
        throw qxsound::Error(qxsound::DSERR_NOINTERFACE, "the recording platform has no 3D listener");
    }

private:
    RecorderPtr r_;
    int32_t speaker_ = DSSPEAKER_STEREO;
};

class FakeSegment final : public DirectMusicSegment8 {
public:
    FakeSegment(RecorderPtr r, std::string name) : r_(std::move(r)), name_(std::move(name)) {}
    ~FakeSegment() override { r_->log.push_back("~Segment(" + name_ + ")"); }
    void SetStartPoint(int32_t t) override { r_->Call("SetStartPoint(" + std::to_string(t) + ")", "SetStartPoint"); }
    int32_t GetLoopPointStart() override { r_->Call("GetLoopPointStart", "GetLoopPointStart"); return 10; }
    int32_t GetLoopPointEnd() override { r_->Call("GetLoopPointEnd", "GetLoopPointEnd"); return 20; }
    int32_t GetLength() override { r_->Call("GetLength", "GetLength"); return length_; }
    void SetLength(int32_t l) override { r_->Call("SetLength(" + std::to_string(l) + ")", "SetLength"); length_ = l; }
    int32_t GetRepeats() override { r_->Call("GetRepeats", "GetRepeats"); return repeats_; }
    void SetRepeats(int32_t n) override { r_->Call("SetRepeats(" + std::to_string(n) + ")", "SetRepeats"); repeats_ = n; }
    void SetStandardMidiFile() override { r_->Call("SetStandardMidiFile(" + name_ + ")", "SetStandardMidiFile"); }
    std::string GetName() override { return name_; }

private:
    RecorderPtr r_;
    std::string name_;
    int32_t length_ = 3072;
    int32_t repeats_ = 0;
};

class FakeState final : public DirectMusicSegmentState8 {};

class FakePath final : public DirectMusicAudioPath8 {
public:
    explicit FakePath(RecorderPtr r) : r_(std::move(r)), buffer_(std::make_shared<FakeBuffer>(r_, DSBUFFERDESC{})) {}
    ~FakePath() override { r_->log.push_back("~AudioPath"); }
    void Activate(bool on) override { r_->Call(std::string("Activate(") + (on ? "1" : "0") + ")", "Activate"); }
    std::shared_ptr<DirectSoundSecondaryBuffer8> GetObjectInPath(int32_t pc, int32_t stage, int32_t buffer,
                                                                 const std::string& guid, int32_t index,
                                                                 const std::string& iid) override {
        r_->Call("GetObjectInPath(" + std::to_string(pc) + "," + std::to_string(stage) + "," + std::to_string(buffer) +
                     "," + guid + "," + std::to_string(index) + "," + iid + ")",
                 "GetObjectInPath");
        return buffer_;
    }

private:
    RecorderPtr r_;
    std::shared_ptr<FakeBuffer> buffer_;
};

class FakePerformance final : public DirectMusicPerformance8 {
public:
    explicit FakePerformance(RecorderPtr r) : r_(std::move(r)) {}
    ~FakePerformance() override { r_->log.push_back("~Performance"); }
    void InitAudio(int32_t w, int32_t flags, DMUS_AUDIOPARAMS&, std::shared_ptr<DirectSound8> ds, int32_t type,
                   int32_t channels) override {
        r_->Call("InitAudio(" + std::to_string(w) + "," + std::to_string(flags) + "," + (ds ? "device" : "null") + "," +
                     std::to_string(type) + "," + std::to_string(channels) + ")",
                 "InitAudio");
    }
    void SetMasterAutoDownload(bool on) override {
        r_->Call(std::string("SetMasterAutoDownload(") + (on ? "1" : "0") + ")", "SetMasterAutoDownload");
    }
    float GetMasterTempo() override { r_->Call("GetMasterTempo", "GetMasterTempo"); return tempo_; }
    void SetMasterTempo(float t) override { r_->Call("SetMasterTempo", "SetMasterTempo"); tempo_ = t; }
    int32_t GetMasterVolume() override { r_->Call("GetMasterVolume", "GetMasterVolume"); return volume_; }
    void SetMasterVolume(int32_t v) override {
        r_->Call("SetMasterVolume(" + std::to_string(v) + ")", "SetMasterVolume");
        volume_ = v;
    }
    int16_t GetMasterGrooveLevel() override { return groove_; }
    void SetMasterGrooveLevel(int16_t g) override { groove_ = g; }
    std::shared_ptr<DirectMusicAudioPath8> CreateStandardAudioPath(int32_t type, int32_t channels, bool on) override {
        r_->Call("CreateStandardAudioPath(" + std::to_string(type) + "," + std::to_string(channels) + "," +
                     (on ? "1" : "0") + ")",
                 "CreateStandardAudioPath");
        return std::make_shared<FakePath>(r_);
    }
    std::shared_ptr<DirectMusicSegmentState8> PlaySegmentEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t flags,
                                                            int32_t start, std::shared_ptr<DirectMusicSegment8> from,
                                                            std::shared_ptr<DirectMusicAudioPath8> path) override {
        r_->Call("PlaySegmentEx(" + segment->GetName() + "," + std::to_string(flags) + "," + std::to_string(start) +
                     "," + (from ? "from" : "null") + "," + (path ? "path" : "null") + ")",
                 "PlaySegmentEx");
        playing_ = true;
        return std::make_shared<FakeState>();
    }
    void StopEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t t, int32_t f) override {
        r_->Call("StopEx(" + (segment ? segment->GetName() : std::string("null")) + "," + std::to_string(t) + "," +
                     std::to_string(f) + ")",
                 "StopEx");
        playing_ = false;
    }
    bool IsPlaying(std::shared_ptr<DirectMusicSegment8>, std::shared_ptr<DirectMusicSegmentState8>) override {
        r_->Call("IsPlaying", "IsPlaying");
        return playing_;
    }
    int32_t GetMusicTime() override {
        r_->Call("GetMusicTime", "GetMusicTime");
        const int32_t t = r_->musicTime;
        r_->musicTime += 10;
        return t;
    }
    void CloseDown() override { r_->Call("CloseDown", "CloseDown"); }

private:
    RecorderPtr r_;
    float tempo_ = 1.0f;
    int32_t volume_ = 0;
    int16_t groove_ = 0;
    bool playing_ = false;
};

class FakeLoader final : public DirectMusicLoader8 {
public:
    explicit FakeLoader(RecorderPtr r) : r_(std::move(r)) {}
    ~FakeLoader() override { r_->log.push_back("~Loader"); }
    std::shared_ptr<DirectMusicSegment8> LoadSegment(const std::string& f) override {
        r_->Call("LoadSegment(" + f + ")", "LoadSegment");
        return std::make_shared<FakeSegment>(r_, f);
    }

private:
    RecorderPtr r_;
};

class FakeEnum final : public DirectSoundEnum8 {
public:
    FakeEnum(RecorderPtr r, std::string kind, int32_t count) : r_(std::move(r)), kind_(std::move(kind)), count_(count) {}
    int32_t GetCount() override { r_->Call("GetCount(" + kind_ + ")", "GetCount(" + kind_ + ")"); return count_; }
    std::string GetName(int32_t i) override { return kind_ + " " + std::to_string(i); }
    std::string GetDescription(int32_t i) override { return "the " + kind_ + " device " + std::to_string(i); }
    std::string GetGuid(int32_t i) override { return "{" + kind_ + "-" + std::to_string(i) + "}"; }

private:
    RecorderPtr r_;
    std::string kind_;
    int32_t count_;
};

class FakeRoot final : public DirectX8 {
public:
    explicit FakeRoot(RecorderPtr r) : r_(std::move(r)) {}
    ~FakeRoot() override { r_->log.push_back("~Root"); }
    std::shared_ptr<DirectSound8> DirectSoundCreate(const std::string& guid) override {
        r_->Call("DirectSoundCreate(" + guid + ")", "DirectSoundCreate");
        if (!guid.empty() && guid.rfind("{playback-", 0) != 0)
            throw qxsound::Error(qxsound::DSERR_NODRIVER, "no such device");
        return std::make_shared<FakeDevice>(r_);
    }
    std::shared_ptr<DirectMusicPerformance8> DirectMusicPerformanceCreate() override {
        r_->Call("DirectMusicPerformanceCreate", "DirectMusicPerformanceCreate");
        return std::make_shared<FakePerformance>(r_);
    }
    std::shared_ptr<DirectMusicLoader8> DirectMusicLoaderCreate() override {
        r_->Call("DirectMusicLoaderCreate", "DirectMusicLoaderCreate");
        return std::make_shared<FakeLoader>(r_);
    }
    std::shared_ptr<DirectSoundEnum8> GetDSEnum() override {
        r_->Call("GetDSEnum", "GetDSEnum");
        return std::make_shared<FakeEnum>(r_, "playback", r_->playbackDevices);
    }
    std::shared_ptr<DirectSoundEnum8> GetDSCaptureEnum() override {
        r_->Call("GetDSCaptureEnum", "GetDSCaptureEnum");
        return std::make_shared<FakeEnum>(r_, "capture", r_->captureDevices);
    }

private:
    RecorderPtr r_;
};

}  // namespace

std::shared_ptr<DirectX8> MakeRecordingRoot(std::shared_ptr<Recorder> recorder) {
    return std::make_shared<FakeRoot>(std::move(recorder));
}

}  // namespace qxtest
