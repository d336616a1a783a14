// Where the platform's own players (the module player, the CD audio device) stream to: the output
// device of the calling thread's engine when the library has one, else OpenAL's default device,
// opened once and shared while a player holds it.
#pragma once

#include "DirectSound.h"
#include "OpenALDevice.h"

#include <functional>
#include <memory>

namespace qxsound::platform {

// The library installs the look-up of the calling thread's output device (nullptr: none).
using OutputResolver = std::function<std::shared_ptr<DirectSound8>()>;
void SetStreamOutputResolver(OutputResolver resolver);

// Throws qxsound::Error (DSERR_NODRIVER) when no device can be opened.
std::shared_ptr<OpenALDevice> StreamOutputDevice();

}  // namespace qxsound::platform
