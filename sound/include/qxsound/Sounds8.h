// The host's keyed collection of sounds of every kind. It creates the sounds itself: by type, by
// file (the type chosen from the extension, the key from the file title) or for a CD drive.
//
//   qxsound::Sounds8 sounds;
//   sounds.AddFile("/data/Boom.wav");                  // a loaded SoundWave8, keyed "Boom"
//   sounds.Item("boom")->Play();                       // keys compare without regard to case
//   for (auto& sound : sounds) sound->Stop_();
//
// Nothing traps: a type outside 0 to 6 throws qxsound::Error, a key already in use, a bad index or
// an unknown key the collection's errors (qxcommon::CollectionError), and errors of creating a
// sound (a SoundDx8 without an engine) pass through. A sound's failed Load does not: AddFile and
// AddCd add and return the sound all the same.
#pragma once

#include <qxsound/Sound8.h>

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qxsound {

class SoundCd8;

class Sounds8 {
public:
    // A new, unloaded sound of the type, added at the end; nullptr (and nothing added) for
    // QX_SOUNDTYPE_UNDEFINED.
    std::shared_ptr<Sound8> Add(CONST_QX_SOUNDTYPE eSoundType, const std::string& sKey = "");
    // A new sound loaded from the file. With eSoundType 0 the type comes from the extension: wav;
    // mid, midi, rmi and sgt; mp3; mod. Any other extension gives nullptr and adds nothing. The key
    // is sKey, or the file title without its extension when sKey is empty.
    std::shared_ptr<Sound8> AddFile(const std::string& sFileName, const std::string& sKey = "",
                                    CONST_QX_SOUNDTYPE eSoundType = QX_SOUNDTYPE_UNDEFINED);
    // A new SoundCd8 loaded with the drive (a device path or a ".cue" image; "" the default drive).
    std::shared_ptr<SoundCd8> AddCd(const std::string& sCdDriveLetter, const std::string& sKey = "");

    const std::shared_ptr<Sound8>& Item(int32_t index) const { return sounds_.Item(index); }
    const std::shared_ptr<Sound8>& Item(std::string_view key) const { return sounds_.Item(key); }
    int32_t Count() const { return sounds_.Count(); }
    void Remove(int32_t index) { sounds_.Remove(index); }
    void Remove(std::string_view key) { sounds_.Remove(key); }
    void Clear();

    auto begin() const { return sounds_.begin(); }
    auto end() const { return sounds_.end(); }

private:
    qxcommon::KeyedCollection<Sound8> sounds_;
};

}  // namespace qxsound
