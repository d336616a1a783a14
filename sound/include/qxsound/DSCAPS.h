// Capabilities of an output device, as SoundEngine8::ActiveSoundDeviceCapabilities reports them.
#pragma once

#include <cstdint>

namespace qxsound {

// DSCAPS flag bits.
inline constexpr int32_t DSCAPS_PRIMARYMONO = 0x1;
inline constexpr int32_t DSCAPS_PRIMARYSTEREO = 0x2;
inline constexpr int32_t DSCAPS_PRIMARY8BIT = 0x4;
inline constexpr int32_t DSCAPS_PRIMARY16BIT = 0x8;
inline constexpr int32_t DSCAPS_CONTINUOUSRATE = 0x10;
inline constexpr int32_t DSCAPS_EMULDRIVER = 0x20;
inline constexpr int32_t DSCAPS_CERTIFIED = 0x40;
inline constexpr int32_t DSCAPS_SECONDARYMONO = 0x100;
inline constexpr int32_t DSCAPS_SECONDARYSTEREO = 0x200;
inline constexpr int32_t DSCAPS_SECONDARY8BIT = 0x400;
inline constexpr int32_t DSCAPS_SECONDARY16BIT = 0x800;

struct DSCAPS {
    int32_t lFlags = 0;
    int32_t lMinSecondarySampleRate = 0;
    int32_t lMaxSecondarySampleRate = 0;
    int32_t lPrimaryBuffers = 0;
    int32_t lMaxHwMixingAllBuffers = 0;
    int32_t lMaxHwMixingStaticBuffers = 0;
    int32_t lMaxHwMixingStreamingBuffers = 0;
    int32_t lFreeHwMixingAllBuffers = 0;
    int32_t lFreeHwMixingStaticBuffers = 0;
    int32_t lFreeHwMixingStreamingBuffers = 0;
    int32_t lMaxHw3DAllBuffers = 0;
    int32_t lMaxHw3DStaticBuffers = 0;
    int32_t lMaxHw3DStreamingBuffers = 0;
    int32_t lFreeHw3DAllBuffers = 0;
    int32_t lFreeHw3DStaticBuffers = 0;
    int32_t lFreeHw3DStreamingBuffers = 0;
    int32_t lTotalHwMemBytes = 0;
    int32_t lFreeHwMemBytes = 0;
    int32_t lMaxContigFreeHwMemBytes = 0;
    int32_t lUnlockTransferRateHwBuffers = 0;
    int32_t lPlayCpuOverheadSwBuffers = 0;

    friend bool operator==(const DSCAPS&, const DSCAPS&) = default;
};

}  // namespace qxsound
