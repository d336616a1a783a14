// libFuzzer target for the MCI command interpreter: the command parser, positions in every time
// format, and the interpreter's dispatch and reply writing (open commands are left out, so no
// device is touched). Run by hand, for example:
//   build-fuzz/bin/qxsound_fuzz_mci -runs=10000000 -max_len=256 corpus-mci/
#include "Mci.h"
#include "MciCommand.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace qxsound::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the reply buffer's length.
    const int32_t replyLength = data[0] % 48;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto parsed = ParseMciCommand(text);
    if (const auto* command = std::get_if<MciCommand>(&parsed)) {
        const MciDisc disc{{150, 4650, 9000}, 1, 12000};
        for (const auto* position : {&command->from, &command->to, &command->track})
            if (*position)
                for (auto format : {MciTimeFormat::Milliseconds, MciTimeFormat::Msf, MciTimeFormat::Tmsf})
                    (void)ParseMciPosition(**position, format, disc);
        if (command->verb == MciVerb::Open) return 0;
    }
    std::vector<char> reply(static_cast<std::size_t>(replyLength) + 1, '\x7f');
    (void)mciSendString(text, reply.data(), replyLength);
    if (reply[static_cast<std::size_t>(replyLength)] != '\x7f') __builtin_trap();  // written past its length
    return 0;
}
