// One DirectSound effect of an Effects8 list, named by its GUID text ("{8-4-4-4-12}", letters in
// either case), for example the standard echo "{EF3E932C-D40B-4F51-8CCF-3F98F1B29D5D}".
#pragma once

#include <memory>
#include <string>

namespace qxsound {

class Effect8 {
public:
    const std::string& Key() const { return key_; }
    void Key(const std::string& key) { key_ = key; }
    const std::string& EffectGuid() const { return effectGuid_; }
    void EffectGuid(const std::string& guid) { effectGuid_ = guid; }

private:
    friend class Effects8;
    Effect8() = default;

    std::string key_;
    std::string effectGuid_;
};

}  // namespace qxsound
