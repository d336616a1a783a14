#include <qxsound/Effects8.h>

#include <qxsound/SoundDx8.h>

#include "DirectMusic.h"

#include <vector>

namespace qxsound {

Effects8::~Effects8() {
    effects_.Clear();
    parent_ = nullptr;
}

std::shared_ptr<Effect8> Effects8::Add(const std::string& sEffectGuid, const std::string& sKey) {
    std::shared_ptr<Effect8> effect(new Effect8());
    effects_.Add(effect, sKey);  // a duplicate key throws before anything changes
    effect->EffectGuid(sEffectGuid);
    return effect;
}

void Effects8::Clear() {
    while (effects_.Count() >= 1) effects_.Remove(1);
}

bool Effects8::Apply() {
    try {
        if (!parent_) return false;
        const int32_t n = effects_.Count();
        std::vector<platform::DSEFFECTDESC> descriptions(static_cast<std::size_t>(n) + 1);
        std::vector<int32_t> results(static_cast<std::size_t>(n) + 1, 0);
        for (int32_t i = 0; i < n; ++i) descriptions[static_cast<std::size_t>(i)].guidDSFXClass = effects_.Item(i + 1)->EffectGuid();
        const auto& path = parent_->AudioPath();
        path->Activate(false);
        try {
            parent_->PathBuffer()->SetFX(n, descriptions.data(), results.data());
        } catch (...) {
            // Leaving the path inactive would silence the sound until a later Apply succeeds.
            path->Activate(true);
            return false;
        }
        path->Activate(true);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace qxsound
