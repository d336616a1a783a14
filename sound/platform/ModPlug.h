// The module player's entry points, over libopenmpt loaded at run time.
//
// ModPlug_CreateEx loads the player library on first use; when it cannot be loaded it throws
// qxsound::Error (DSERR_MODNOTFOUND). Handles are positive int32 values; every other function
// throws qxsound::Error (DSERR_INVALIDPARAM) for a handle that names no live player.
//
// A player holds one module at a time and streams it (stereo, at the output device's rate) to the
// device that StreamOutputDevice gives when it first plays. Positions are in milliseconds, the
// volume in per cent (0 silent .. 100 the module's own level). Modules of every format libopenmpt
// reads are accepted (MOD, S3M, XM, IT and others).
#pragma once

#include <cstdint>
#include <string>

namespace qxsound::platform {

// Options are "name|value" pairs joined by "|" ("loop|true" repeats modules without end).
int32_t ModPlug_CreateEx(const std::string& options);
int32_t ModPlug_SetWindow(int32_t handle, int32_t windowHandle);
void ModPlug_Destroy(int32_t handle);

// Loads a module file, replacing (and stopping) the one the player held. Returns 1 on success, 0
// when the file cannot be read as a module (the player then holds none).
int32_t ModPlug_Load(int32_t handle, const std::string& fileName);
// Plays from the current position (from the start once the module has played to its end).
int32_t ModPlug_Play(int32_t handle);
// Stops and keeps the position.
int32_t ModPlug_Stop(int32_t handle);
// 1 while playing, else 0.
int32_t ModPlug_IsPlaying(int32_t handle);
// Throws qxsound::Error (DSERR_INVALIDPARAM) outside 0 to 100.
int32_t ModPlug_SetVolume(int32_t handle, int32_t volume);
int32_t ModPlug_GetVolume(int32_t handle);
// Without a module the positions are 0 and setting one does nothing.
int32_t ModPlug_SetCurrentPosition(int32_t handle, int32_t milliseconds);
int32_t ModPlug_GetCurrentPosition(int32_t handle);
int32_t ModPlug_GetMaxPosition(int32_t handle);

// The file the player library is loaded from (default "libopenmpt.so.0"). Tests point it at a
// missing file; a library already loaded stays loaded until its last player is destroyed.
void SetModPlayerLibrary(const std::string& fileName);

// Whether a handle names a live player.
bool ModPlug_IsValid(int32_t handle);

}  // namespace qxsound::platform
