#include "EffectChain.h"

#include "DeviceGuid.h"
#include "OpenALDevice.h"

#include <qxsound/Error.h>

#include <AL/alext.h>
#include <AL/efx.h>

#include <cmath>

namespace qxsound::platform {

namespace {

struct EffectSetup {
    const char* guid;
    ALenum type;
    float wet;  // slot gain: the effect's default wet/dry mix
    void (*configure)(ALuint effect);
};

// Parameters follow DirectSound's defaults for each effect.
const EffectSetup kEffects[] = {
    {GUID_DSFX_STANDARD_CHORUS, AL_EFFECT_CHORUS, 0.5f,
     [](ALuint e) {
         alEffecti(e, AL_CHORUS_WAVEFORM, AL_CHORUS_WAVEFORM_SINUSOID);
         alEffecti(e, AL_CHORUS_PHASE, 90);
         alEffectf(e, AL_CHORUS_RATE, 1.1f);
         alEffectf(e, AL_CHORUS_DEPTH, 0.1f);
         alEffectf(e, AL_CHORUS_FEEDBACK, 0.25f);
         alEffectf(e, AL_CHORUS_DELAY, 0.016f);
     }},
    {GUID_DSFX_STANDARD_COMPRESSOR, AL_EFFECT_COMPRESSOR, 1.0f,
     [](ALuint e) { alEffecti(e, AL_COMPRESSOR_ONOFF, AL_TRUE); }},
    {GUID_DSFX_STANDARD_DISTORTION, AL_EFFECT_DISTORTION, 1.0f,
     [](ALuint e) {
         alEffectf(e, AL_DISTORTION_EDGE, 0.15f);
         alEffectf(e, AL_DISTORTION_GAIN, std::pow(10.0f, -18.0f / 20.0f));
         alEffectf(e, AL_DISTORTION_LOWPASS_CUTOFF, 8000.0f);
         alEffectf(e, AL_DISTORTION_EQCENTER, 2400.0f);
         alEffectf(e, AL_DISTORTION_EQBANDWIDTH, 2400.0f);
     }},
    {GUID_DSFX_STANDARD_ECHO, AL_EFFECT_ECHO, 0.5f,
     [](ALuint e) {
         alEffectf(e, AL_ECHO_DELAY, AL_ECHO_MAX_DELAY);
         alEffectf(e, AL_ECHO_LRDELAY, 0.0f);
         alEffectf(e, AL_ECHO_FEEDBACK, 0.5f);
         alEffectf(e, AL_ECHO_DAMPING, 0.0f);
     }},
    {GUID_DSFX_STANDARD_FLANGER, AL_EFFECT_FLANGER, 0.5f,
     [](ALuint e) {
         alEffecti(e, AL_FLANGER_WAVEFORM, AL_FLANGER_WAVEFORM_SINUSOID);
         alEffecti(e, AL_FLANGER_PHASE, 0);
         alEffectf(e, AL_FLANGER_RATE, 0.25f);
         alEffectf(e, AL_FLANGER_DEPTH, 1.0f);
         alEffectf(e, AL_FLANGER_FEEDBACK, -0.5f);
         alEffectf(e, AL_FLANGER_DELAY, 0.002f);
     }},
    {GUID_DSFX_STANDARD_GARGLE, AL_EFFECT_RING_MODULATOR, 1.0f,
     [](ALuint e) {
         alEffectf(e, AL_RING_MODULATOR_FREQUENCY, 20.0f);
         alEffecti(e, AL_RING_MODULATOR_WAVEFORM, 2);  // square
     }},
    {GUID_DSFX_STANDARD_I3DL2REVERB, AL_EFFECT_REVERB, 1.0f, [](ALuint) {}},
    {GUID_DSFX_STANDARD_PARAMEQ, AL_EFFECT_EQUALIZER, 1.0f, [](ALuint) {}},
    {GUID_DSFX_WAVES_REVERB, AL_EFFECT_REVERB, 1.0f, [](ALuint) {}},
};

const EffectSetup* Find(const std::string& guid) {
    const std::string wanted = NormalizeGuid(guid);
    for (const auto& setup : kEffects)
        if (wanted == setup.guid) return &setup;
    return nullptr;
}

}  // namespace

void EffectChain::Check(const OpenALDevice& device, int32_t count, const DSEFFECTDESC* effects, int32_t* results) {
    if (count < 0 || (count > 0 && !effects)) throw Error(DSERR_INVALIDPARAM, "SetFX needs an effect list");
    for (int32_t i = 0; i < count; ++i) {
        const bool known = Find(effects[i].guidDSFXClass) != nullptr;
        if (results) results[i] = known ? DSFXR_LOCSOFTWARE : DSFXR_UNKNOWN;
        if (!known) throw Error(DSERR_INVALIDPARAM, "unknown effect GUID " + effects[i].guidDSFXClass);
    }
    if (count > 0 && !device.HasEfx()) throw Error(DSERR_FXUNAVAILABLE, "the device has no effect support");
    if (count > device.MaxAuxiliarySends()) {
        throw Error(DSERR_INVALIDPARAM, "at most " + std::to_string(device.MaxAuxiliarySends()) +
                                            " effects can be set on one buffer");
    }
}

void EffectChain::Set(const OpenALDevice& device, ALuint source, int32_t count, const DSEFFECTDESC* effects,
                      int32_t* results) {
    Check(device, count, effects, results);
    std::vector<const EffectSetup*> setups;
    for (int32_t i = 0; i < count; ++i) setups.push_back(Find(effects[i].guidDSFXClass));
    Clear(source);
    alGetError();
    for (const EffectSetup* setup : setups) {
        ALuint effect = 0;
        ALuint slot = 0;
        alGenEffects(1, &effect);
        alGenAuxiliaryEffectSlots(1, &slot);
        if (alGetError() != AL_NO_ERROR) {
            if (effect) alDeleteEffects(1, &effect);
            Clear(source);
            throw Error(DSERR_OUTOFMEMORY, "no OpenAL effect slot is left");
        }
        effects_.push_back(effect);
        slots_.push_back(slot);
        alEffecti(effect, AL_EFFECT_TYPE, setup->type);
        setup->configure(effect);
        alAuxiliaryEffectSloti(slot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(effect));
        alAuxiliaryEffectSlotf(slot, AL_EFFECTSLOT_GAIN, setup->wet);
        alSource3i(source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(slot),
                   static_cast<ALint>(slots_.size() - 1), AL_FILTER_NULL);
    }
    if (alGetError() != AL_NO_ERROR) {
        Clear(source);
        throw Error(DSERR_GENERIC, "OpenAL refused an effect");
    }
}

void EffectChain::Clear(ALuint source) {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        alSource3i(source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, static_cast<ALint>(i), AL_FILTER_NULL);
    if (!slots_.empty()) alDeleteAuxiliaryEffectSlots(static_cast<ALsizei>(slots_.size()), slots_.data());
    if (!effects_.empty()) alDeleteEffects(static_cast<ALsizei>(effects_.size()), effects_.data());
    slots_.clear();
    effects_.clear();
    alGetError();
}

}  // namespace qxsound::platform
