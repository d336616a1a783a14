// The MCI command-string interpreter of the platform layer, for "cdaudio" devices over libcdio.
//
// Commands (keywords in any case; "wait" and "notify" accepted anywhere after the device, every
// command completes before it returns):
//   open <drive path | image.cue | cdaudio> [type cdaudio] [alias <name>] [shareable]
//   close <name | all>     play <name> [from <pos>] [to <pos>]     pause <name>     stop <name>
//   seek <name> to <pos | start | end>     set <name> time format <tmsf | msf | milliseconds>
//   status <name> <mode | position | length | number of tracks | current track | time format |
//                  ready | media present> [track <n>]   (track with position and length only)
//   info <name> <identity | upc | product>     setaudio <name> volume to <0..1000>
// A device element holding blanks or quotes is written in double quotes, a quote in it doubled.
// Positions and lengths are "tt:mm:ss:ff" (position) and "mm:ss:ff" (lengths) in tmsf,
// "mm:ss:ff" in msf (the format of a newly opened device), decimal milliseconds in milliseconds;
// positions count the disc's 2-second lead-in. A disc without a catalogue number answers "info
// upc" with MCIERR_NO_IDENTITY (350). Devices are shared by every thread of the process.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace qxsound::platform {

// Sends a command: 0 on success, else an MciError code. A reply is written to `returnString`
// (NUL-terminated, never more than `returnLength` bytes; a longer reply is cut and the result is
// MCIERR_PARAM_OVERFLOW); with a length of 0 no reply is written.
int32_t mciSendString(std::string_view command, char* returnString, int32_t returnLength);

// Writes the text of an error code like a reply; false for a code the interpreter does not use.
bool mciGetErrorString(int32_t code, char* text, int32_t length);

// Tests watch every command sent and its result; an empty function stops watching.
using MciObserver = std::function<void(std::string_view command, int32_t status)>;
void SetMciObserver(MciObserver observer);

}  // namespace qxsound::platform
