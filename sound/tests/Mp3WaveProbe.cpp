// Plays an MP3 file through SoundMp38 on OpenAL Soft's "wave" backend, which mixes in real time like
// a sound card and records what it mixed. The backend is chosen when the first device opens, so each
// recording is a process of its own with its own configuration file.
//
// qxsound_mp3_wave_probe CONF OUT.wav RATE PERIOD INPUT.mp3
// Exit status 0 when the sound played to its end, 1 on a usage error, 2 when it did not.
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundMp38.h>
#include <qxsound/modGlobal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

using namespace qxsound;

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s CONF OUT.wav RATE PERIOD INPUT.mp3\n", argv[0]);
        return 1;
    }
    {
        std::ofstream conf(argv[1]);
        conf << "[general]\ndrivers=wave\nfrequency=" << argv[3] << "\nperiod_size=" << argv[4]
             << "\n[wave]\nfile=" << argv[2] << "\n";
        if (!conf) return 1;
    }
    // Read by OpenAL Soft at its first call; a driver list in the environment would override the file.
    setenv("ALSOFT_CONF", argv[1], 1);
    unsetenv("ALSOFT_DRIVERS");

    bool ended = false;
    {
        auto engine = std::make_shared<SoundEngine8>();
        SoundMp38 sound;
        if (sound.Load(argv[5]) && sound.Play()) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (sound.PlayState() == QX_PLAYSTATE_PLAYING && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ended = sound.PlayState() == QX_PLAYSTATE_ENDED;
        }
        // The sound ends once its last frame has been mixed; a little silence follows before the
        // device closes and the recording is complete.
        const double period = std::atof(argv[4]) / std::atof(argv[3]);
        std::this_thread::sleep_for(std::chrono::duration<double>(2 * period + 0.15));
    }
    EndLibraryContext();
    return ended ? 0 : 2;
}
