// Plays a file on OpenAL Soft's "wave" backend, which mixes in real time like a sound card and
// records what it mixed. The backend is chosen when the first device opens, so each recording is a
// process of its own with its own configuration file.
//
// qxsound_wave_probe CONF OUT.wav RATE PERIOD KIND INPUT REPEATS BUSY_THREADS
// KIND is "segment" (a SoundDx8, the looping portion repeated REPEATS times) or "mp3" (a SoundMp38).
// Exit status 0 when the sound played to its end, 1 on a usage error, 2 when it did not.
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundMp38.h>
#include <qxsound/modGlobal.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace qxsound;

namespace {

// Waits until `sound` leaves PLAYING (30 s at most); true when it ended.
template <typename Sound>
bool PlaysToItsEnd(Sound& sound) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (sound.PlayState() == QX_PLAYSTATE_PLAYING && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return sound.PlayState() == QX_PLAYSTATE_ENDED;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 9 ? argv[5] : "";
    if (kind != "segment" && kind != "mp3") {
        std::fprintf(stderr, "usage: %s CONF OUT.wav RATE PERIOD segment|mp3 INPUT REPEATS BUSY_THREADS\n", argv[0]);
        return 1;
    }
    const std::string conf = argv[1];
    {
        std::ofstream out(conf);
        out << "[general]\ndrivers=wave\nfrequency=" << argv[3] << "\nperiod_size=" << argv[4]
            << "\n[wave]\nfile=" << argv[2] << "\n";
        if (!out) return 1;
    }
    // Read by OpenAL Soft at its first call; a driver list in the environment would override the file.
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");

    const int repeats = std::atoi(argv[7]);
    const int busy = std::atoi(argv[8]);
    std::atomic<bool> stop{false};
    std::vector<std::thread> load;
    for (int i = 0; i < busy; ++i) {
        load.emplace_back([&stop] {
            double x = 1.0;
            while (!stop.load(std::memory_order_relaxed)) x = std::sqrt(x + 1.0);
            std::printf("%s", x < 0 ? "." : "");
        });
    }

    bool ended = false;
    {
        auto engine = std::make_shared<SoundEngine8>();
        if (kind == "segment") {
            SoundDx8 sound;
            if (sound.Load(argv[6])) {
                sound.RepeatsOfLoopingPortion(repeats);
                ended = sound.Play() && PlaysToItsEnd(sound);
            }
            // A segment ends once it has been heard to its last frame: a little silence after it, then
            // the device closes and the recording is complete. (Ended any earlier, it is cut short.)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else {
            SoundMp38 sound;
            ended = sound.Load(argv[6]) && sound.Play() && PlaysToItsEnd(sound);
            // An MP3 ends once its last frame has been mixed; what is queued plays out before the
            // device closes.
            const double period = std::atof(argv[4]) / std::atof(argv[3]);
            std::this_thread::sleep_for(std::chrono::duration<double>(2 * period + 0.15));
        }
    }
    EndLibraryContext();
    stop = true;
    for (auto& t : load) t.join();
    return ended ? 0 : 2;
}
