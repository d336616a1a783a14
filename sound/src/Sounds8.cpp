#include <qxsound/Sounds8.h>

#include <qxsound/SoundCd8.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundModule8.h>
#include <qxsound/SoundMp38.h>
#include <qxsound/SoundWave3D8.h>
#include <qxsound/SoundWave8.h>
#include <qxsound/modGlobal.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace qxsound {

namespace {

std::shared_ptr<Sound8> Create(CONST_QX_SOUNDTYPE type) {
    switch (type) {
    case QX_SOUNDTYPE_UNDEFINED: return nullptr;
    case QX_SOUNDTYPE_WAVE: return std::make_shared<SoundWave8>();
    case QX_SOUNDTYPE_MODULE: return std::make_shared<SoundModule8>();
    case QX_SOUNDTYPE_DIRECTX: return std::make_shared<SoundDx8>();
    case QX_SOUNDTYPE_CD: return std::make_shared<SoundCd8>();
    case QX_SOUNDTYPE_WAVE3D: return std::make_shared<SoundWave3D8>();
    case QX_SOUNDTYPE_MP3: return std::make_shared<SoundMp38>();
    }
    throw Error(DSERR_INVALIDPARAM, "there is no sound type " + std::to_string(type));
}

CONST_QX_SOUNDTYPE TypeOfExtension(std::string extension) {
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::map<std::string, CONST_QX_SOUNDTYPE> types{
        {"wav", QX_SOUNDTYPE_WAVE},   {"mid", QX_SOUNDTYPE_DIRECTX}, {"midi", QX_SOUNDTYPE_DIRECTX},
        {"rmi", QX_SOUNDTYPE_DIRECTX}, {"mp3", QX_SOUNDTYPE_MP3},    {"mod", QX_SOUNDTYPE_MODULE},
        {"sgt", QX_SOUNDTYPE_DIRECTX},
    };
    const auto found = types.find(extension);
    return found == types.end() ? QX_SOUNDTYPE_UNDEFINED : found->second;
}

}  // namespace

std::shared_ptr<Sound8> Sounds8::Add(CONST_QX_SOUNDTYPE eSoundType, const std::string& sKey) {
    auto sound = Create(eSoundType);
    if (!sound) return nullptr;
    sound->Key(sKey);
    return sounds_.Add(std::move(sound), sKey);
}

std::shared_ptr<Sound8> Sounds8::AddFile(const std::string& sFileName, const std::string& sKey,
                                         CONST_QX_SOUNDTYPE eSoundType) {
    const std::string key = sKey.empty() ? FileTitleWithoutExtension(sFileName) : sKey;
    const CONST_QX_SOUNDTYPE type = eSoundType == QX_SOUNDTYPE_UNDEFINED ? TypeOfExtension(FileExtension(sFileName)) : eSoundType;
    auto sound = Add(type, key);
    if (sound) sound->Load(sFileName);
    return sound;
}

std::shared_ptr<SoundCd8> Sounds8::AddCd(const std::string& sCdDriveLetter, const std::string& sKey) {
    auto cd = std::static_pointer_cast<SoundCd8>(Add(QX_SOUNDTYPE_CD, sKey));
    cd->Load(sCdDriveLetter);
    return cd;
}

void Sounds8::Clear() {
    while (Count() >= 1) Remove(1);
}

}  // namespace qxsound
