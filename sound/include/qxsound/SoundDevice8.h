// One audio device of a SoundDevices8 list. Read-only to hosts; a record a host creates by itself
// is empty with type QX_SOUNDDEVICETYPE_PLAYBACK.
#pragma once

#include <qxsound/Enums8.h>

#include <string>

namespace qxsound {

class SoundDevice8 {
public:
    SoundDevice8() = default;

    CONST_QX_SOUNDDEVICETYPE Type_() const { return type_; }
    const std::string& Name_() const { return name_; }
    const std::string& Description() const { return description_; }
    // What SoundEngine8::SetPlaybackDevice takes (playback devices).
    const std::string& Guid() const { return guid_; }

private:
    friend class SoundDevices8;
    CONST_QX_SOUNDDEVICETYPE type_ = QX_SOUNDDEVICETYPE_PLAYBACK;
    std::string name_;
    std::string description_;
    std::string guid_;
};

}  // namespace qxsound
