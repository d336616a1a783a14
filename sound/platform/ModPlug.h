// The module player's entry points, over libopenmpt loaded at run time.
//
// ModPlug_CreateEx loads the player library on first use; when it cannot be loaded it throws
// qxsound::Error (DSERR_MODNOTFOUND). Handles are positive int32 values.
#pragma once

#include <cstdint>
#include <string>

namespace qxsound::platform {

// Options are "name|value" pairs joined by "|" ("loop|true" repeats modules without end).
int32_t ModPlug_CreateEx(const std::string& options);
int32_t ModPlug_SetWindow(int32_t handle, int32_t windowHandle);
void ModPlug_Destroy(int32_t handle);

// The file the player library is loaded from (default "libopenmpt.so.0"). Tests point it at a
// missing file; a library already loaded stays loaded until its last player is destroyed.
void SetModPlayerLibrary(const std::string& fileName);

// Whether a handle names a live player.
bool ModPlug_IsValid(int32_t handle);

}  // namespace qxsound::platform
