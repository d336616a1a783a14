// The error that QXSound operations raise when a failure reaches the caller.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qxsound {

// Platform error codes (HRESULT values as DirectX reports them).
inline constexpr int32_t DSERR_GENERIC = static_cast<int32_t>(0x80004005);
inline constexpr int32_t DSERR_NOINTERFACE = static_cast<int32_t>(0x80004002);
inline constexpr int32_t DSERR_OUTOFMEMORY = static_cast<int32_t>(0x8007000E);
inline constexpr int32_t DSERR_INVALIDPARAM = static_cast<int32_t>(0x80070057);
inline constexpr int32_t DSERR_MODNOTFOUND = static_cast<int32_t>(0x8007007E);
inline constexpr int32_t DSERR_ALLOCATED = static_cast<int32_t>(0x8878000A);
inline constexpr int32_t DSERR_CONTROLUNAVAIL = static_cast<int32_t>(0x8878001E);
inline constexpr int32_t DSERR_INVALIDCALL = static_cast<int32_t>(0x88780032);
inline constexpr int32_t DSERR_BADFORMAT = static_cast<int32_t>(0x88780064);
inline constexpr int32_t DSERR_NODRIVER = static_cast<int32_t>(0x88780078);
inline constexpr int32_t DSERR_UNINITIALIZED = static_cast<int32_t>(0x887800AA);
inline constexpr int32_t DSERR_FXUNAVAILABLE = static_cast<int32_t>(0x887800DC);
inline constexpr int32_t DMUS_E_NOT_INIT = static_cast<int32_t>(0x88781232);
inline constexpr int32_t DMUS_E_OUT_OF_RANGE = static_cast<int32_t>(0x88781101);
inline constexpr int32_t DMUS_E_LOADER_FAILEDOPEN = static_cast<int32_t>(0x88781170);
inline constexpr int32_t DMUS_E_LOADER_FORMATNOTSUPPORTED = static_cast<int32_t>(0x88781179);
inline constexpr int32_t DMUS_E_AUDIOPATH_INACTIVE = static_cast<int32_t>(0x88781218);
inline constexpr int32_t VFW_E_NOT_FOUND = static_cast<int32_t>(0x80040216);
inline constexpr int32_t VFW_E_WRONG_STATE = static_cast<int32_t>(0x80040227);
inline constexpr int32_t VFW_E_NO_AUDIO_HARDWARE = static_cast<int32_t>(0x80040256);
inline constexpr int32_t VFW_E_UNSUPPORTED_STREAM = static_cast<int32_t>(0x80040265);

class Error : public std::runtime_error {
public:
    Error(int32_t code, const std::string& text);

    // The platform's error code and its text (what() adds the code in hexadecimal).
    int32_t Code() const noexcept { return code_; }
    const std::string& Text() const noexcept { return text_; }

private:
    int32_t code_;
    std::string text_;
};

}  // namespace qxsound
