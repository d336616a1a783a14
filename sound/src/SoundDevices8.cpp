#include <qxsound/SoundDevices8.h>

#include "LibraryContext.h"

namespace qxsound {

SoundDevices8::SoundDevices8() { Refresh(); }

void SoundDevices8::Refresh() {
    RemoveAll();
    auto root = Context().root;
    if (!root) throw Error(DSERR_UNINITIALIZED, "no SoundEngine8 exists on this thread");
    auto playback = root->GetDSEnum();
    for (int32_t i = 1, n = playback->GetCount(); i <= n; ++i)
        AddDevice(playback->GetName(i), playback->GetDescription(i), playback->GetGuid(i), QX_SOUNDDEVICETYPE_PLAYBACK);
    auto capture = root->GetDSCaptureEnum();
    for (int32_t i = 1, n = capture->GetCount(); i <= n; ++i)
        AddDevice(capture->GetName(i), capture->GetDescription(i), capture->GetGuid(i), QX_SOUNDDEVICETYPE_CAPTURE);
}

void SoundDevices8::AddDevice(const std::string& name, const std::string& description, const std::string& guid,
                              CONST_QX_SOUNDDEVICETYPE type) {
    auto device = std::make_shared<SoundDevice8>();
    device->name_ = name;
    device->description_ = description;
    device->guid_ = guid;
    device->type_ = type;
    devices_.Add(std::move(device));
}

void SoundDevices8::RemoveAll() {
    while (devices_.Count() >= 1) devices_.Remove(1);
}

}  // namespace qxsound
