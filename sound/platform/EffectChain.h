// DirectSound effects on an OpenAL source, as EFX effects in auxiliary effect slots.
#pragma once

#include "DirectSound.h"

#include <AL/al.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qxsound::platform {

class OpenALDevice;

// Standard DirectSound effect GUIDs.
inline constexpr const char* GUID_DSFX_STANDARD_CHORUS = "{EFE6629C-81F7-4281-BD91-C9D604A95AF6}";
inline constexpr const char* GUID_DSFX_STANDARD_COMPRESSOR = "{EF011F79-4000-406D-87AF-BFFB3FC39D57}";
inline constexpr const char* GUID_DSFX_STANDARD_DISTORTION = "{EF114C90-CD1D-484E-96E5-09CFAF912A21}";
inline constexpr const char* GUID_DSFX_STANDARD_ECHO = "{EF3E932C-D40B-4F51-8CCF-3F98F1B29D5D}";
inline constexpr const char* GUID_DSFX_STANDARD_FLANGER = "{EFCA3D92-DFD8-4672-A603-7420894BAD98}";
inline constexpr const char* GUID_DSFX_STANDARD_GARGLE = "{DAFD8210-5711-4B91-9FE3-F75B7AE279BF}";
inline constexpr const char* GUID_DSFX_STANDARD_I3DL2REVERB = "{EF985E71-D5C7-42D4-BA4D-2D073E2E96F4}";
inline constexpr const char* GUID_DSFX_STANDARD_PARAMEQ = "{120CED89-3BF4-4173-A132-3CB406CF3231}";
inline constexpr const char* GUID_DSFX_WAVES_REVERB = "{87FC0268-9A55-4360-95AA-004A1D9DE26C}";

// SetFX result codes.
inline constexpr int32_t DSFXR_LOCSOFTWARE = 2;
inline constexpr int32_t DSFXR_UNKNOWN = 5;

class EffectChain {
public:
    // Replaces the source's effects by `count` new ones, each fed from the source through its own
    // auxiliary send (so at most the device's send count). All GUIDs are checked before anything
    // changes; an unknown one throws qxsound::Error and leaves the old effects in place.
    // The device's context must be current.
    void Set(const OpenALDevice& device, ALuint source, int32_t count, const DSEFFECTDESC* effects, int32_t* results);
    // Removes every effect; the device's context must be current.
    void Clear(ALuint source);
    // The checks of Set without a source: throws what Set would for this list.
    static void Check(const OpenALDevice& device, int32_t count, const DSEFFECTDESC* effects, int32_t* results);

private:
    std::vector<ALuint> slots_;
    std::vector<ALuint> effects_;
};

}  // namespace qxsound::platform
