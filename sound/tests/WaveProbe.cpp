// Plays a file through SoundDx8 on OpenAL Soft's "wave" backend, which mixes in real time like a
// sound card and records what it mixed. The backend is chosen when the first device opens, so each
// recording is a process of its own with its own configuration file.
//
// qxsound_wave_probe CONF OUT.wav RATE PERIOD INPUT.wav REPEATS BUSY_THREADS
// Exit status 0 when the sound played to its end, 1 on a usage error, 2 when it did not.
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
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

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s CONF OUT.wav RATE PERIOD INPUT.wav REPEATS BUSY_THREADS\n", argv[0]);
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

    const int repeats = std::atoi(argv[6]);
    const int busy = std::atoi(argv[7]);
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
        SoundDx8 sound;
        if (sound.Load(argv[5])) {
            sound.RepeatsOfLoopingPortion(repeats);
            if (sound.Play()) {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
                while (sound.PlayState() == QX_PLAYSTATE_PLAYING && std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ended = sound.PlayState() == QX_PLAYSTATE_ENDED;
            }
        }
        // The sound ends once it has been heard to its last frame: a little silence after it, then the
        // device closes and the recording is complete. (Ended any earlier, the recording is cut short.)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EndLibraryContext();
    stop = true;
    for (auto& t : load) t.join();
    return ended ? 0 : 2;
}
