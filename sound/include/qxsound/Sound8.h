// The common interface of every sound class. A class that does not override a member behaves as
// this base: the operations return false, PlayState and Type_ are undefined, Volume reads 0.
#pragma once

#include <qxsound/Enums8.h>
#include <qxsound/Error.h>

#include <cstdint>
#include <string>

namespace qxsound {

class Sound8 {
public:
    Sound8() = default;
    virtual ~Sound8() = default;
    Sound8(const Sound8&) = delete;
    Sound8& operator=(const Sound8&) = delete;

    virtual bool Load(const std::string& sFileName);
    virtual bool Play();
    virtual bool Pause();
    virtual bool Stop_();
    virtual CONST_QX_PLAYSTATE PlayState() const;
    virtual CONST_QX_SOUNDTYPE Type_() const;
    // The unit is the class's own.
    virtual int32_t Volume() const;
    virtual void Volume(int32_t volume);

    // Free for the host (a collection files the sound under it); empty on creation.
    const std::string& Key() const { return key_; }
    void Key(const std::string& key) { key_ = key; }

private:
    std::string key_;
};

}  // namespace qxsound
