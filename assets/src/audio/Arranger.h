// Arranges a piece of music from a compact description (key, tempo, instruments, progressions,
// motifs, grooves and form) into a General MIDI file that loops cleanly: it ends exactly on a bar
// line, every note is released by then, and every channel is set up again at the start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/Music.h"

namespace orvane::assets::audio {

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerSixteenth = kTicksPerQuarter / 4;

// A one-bar pattern per drum sound: one character per sixteenth, 'X' accent, 'x' hit, 'o' ghost, '.' rest.
struct DrumLine {
    int note;
    std::string pattern;
};
struct Groove {
    std::vector<DrumLine> lines;
};

struct PiecePlan {
    const char* fileName;
    const char* title;
    double tempo;     // beats per minute
    int beatsPerBar;  // quarter-note beats: 4 or 3
    int tonic;        // MIDI pitch of the tonic in the bass octave
    std::vector<int> mode;
    int keySharps;  // key signature: sharps (+) or flats (-)
    bool keyMinor;
    // General MIDI programs (0-based).
    int leadProgram, arpProgram, padProgram, bassProgram;
    // Chords, one scale degree per bar.
    std::vector<int> intro, partA, partB;
    bool sevenths;
    Motif motifA, motifB;
    // Bass and arpeggio patterns, one character per sixteenth. Bass: 'R' root, 'F' fifth, 'O' octave,
    // 'T' third, 'A' approach to the next bar's root; arpeggio: '0'..'7' chord tones upwards.
    // '-' holds the previous note, '.' is a rest.
    std::string bass, bassB, arp;
    Groove groove, grooveB;
    // Sections: 'I' intro, 'A', 'B', 'C' (breakdown over the B chords). Repeated "CA" / "BA" are
    // appended until the piece lasts at least minSeconds.
    std::string form;
    double minSeconds;
};

struct RenderedPiece {
    std::vector<std::uint8_t> bytes;
    std::uint32_t lengthTicks;
    int bars;
    double seconds;
    std::string form;
};

RenderedPiece RenderPiece(const PiecePlan& plan);

}  // namespace orvane::assets::audio
