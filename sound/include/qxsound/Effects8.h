// The effects of a SoundDx8 (from SoundDx8::Effects). Apply installs the whole list on the sound's
// audio path buffer in one go, cutting off what plays on the path.
//
// The standard DirectSound effects are available: chorus, compressor, distortion, echo, flanger,
// gargle, I3DL2 reverb, parametric equalizer and waves reverb.
#pragma once

#include <qxsound/Effect8.h>

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qxsound {

class SoundDx8;

class Effects8 {
public:
    ~Effects8();

    // The sound that owns the list (nullptr once it is gone).
    SoundDx8* Parent() const { return parent_; }

    // False when the list cannot be installed (an unknown GUID, too many effects, no sound); the
    // sound's path keeps playing what comes next either way.
    bool Apply();

    // Keys are optional, compared without regard to case, each used once
    // (qxcommon::DuplicateKeyError otherwise).
    std::shared_ptr<Effect8> Add(const std::string& sEffectGuid, const std::string& sKey = "");
    const std::shared_ptr<Effect8>& Item(int32_t index) const { return effects_.Item(index); }
    const std::shared_ptr<Effect8>& Item(std::string_view key) const { return effects_.Item(key); }
    int32_t Count() const { return effects_.Count(); }
    void Remove(int32_t index) { effects_.Remove(index); }
    void Remove(std::string_view key) { effects_.Remove(key); }
    void Clear();

    auto begin() const { return effects_.begin(); }
    auto end() const { return effects_.end(); }

private:
    friend class SoundDx8;
    Effects8() = default;
    void SetParent(SoundDx8* sound) { parent_ = sound; }

    qxcommon::KeyedCollection<Effect8> effects_;
    SoundDx8* parent_ = nullptr;
};

}  // namespace qxsound
