// The playback devices, then the capture devices, as the platform enumerates them. Obtained from
// SoundEngine8::GetSoundDevices; records are addressed by 1-based index.
#pragma once

#include <qxsound/SoundDevice8.h>

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qxsound {

class SoundDevices8 {
public:
    // Re-reads the devices. Throws qxsound::Error when an enumeration fails (records read before
    // the failure stay).
    void Refresh();

    // Bad indexes and unknown keys raise the collection's errors (qxcommon::CollectionError).
    const std::shared_ptr<SoundDevice8>& Item(int32_t index) const { return devices_.Item(index); }
    const std::shared_ptr<SoundDevice8>& Item(std::string_view key) const { return devices_.Item(key); }
    int32_t Count() const { return devices_.Count(); }
    void Remove(int32_t index) { devices_.Remove(index); }
    void Remove(std::string_view key) { devices_.Remove(key); }

    auto begin() const { return devices_.begin(); }
    auto end() const { return devices_.end(); }

private:
    friend class SoundEngine8;
    SoundDevices8();

    void AddDevice(const std::string& name, const std::string& description, const std::string& guid,
                   CONST_QX_SOUNDDEVICETYPE type);
    void RemoveAll();

    qxcommon::KeyedCollection<SoundDevice8> devices_;
};

}  // namespace qxsound
