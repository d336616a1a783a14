// Benchmarks of MIDI music: Load, CPU per second of music against FluidSynth, resident memory.
#pragma once

// In a child process started by the memory benchmark: measures, prints and returns true.
bool RunMidiMemoryChild(int argc, char** argv);
void RegisterMidiBenchmarks();
