// Play-to-first-sample latency on real-time outputs, one child process per device period.
#pragma once

// In a child process started by the benchmark: measures, prints and returns true. Otherwise false.
bool RunRealTimeLatencyChild(int argc, char** argv);
// Registers the latency benchmarks of raw OpenAL, the library's streams and SDL_mixer.
void RegisterRealTimeLatency();
