// Composition toolkit: scales and modes, diatonic chords, motifs and their development into phrases.
// Pitches are MIDI note numbers; melodic positions are scale degrees (0 = tonic, 7 = tonic an octave up
// in a seven-note scale; negative degrees go below the tonic).
#pragma once

#include <vector>

namespace orvane::assets::audio {

class Scale {
public:
    static const std::vector<int> kMajor, kDorian, kPhrygian, kLydian, kMixolydian, kAeolian, kHarmonicMinor;

    Scale(int tonicPitch, std::vector<int> steps) : tonic_(tonicPitch), steps_(std::move(steps)) {}
    int Pitch(int degree) const;
    int Size() const { return static_cast<int>(steps_.size()); }
    int Tonic() const { return tonic_; }

private:
    int tonic_;
    std::vector<int> steps_;  // semitones above the tonic, ascending, first 0
};

// The degrees of the diatonic triad (or seventh chord) built on a scale degree.
std::vector<int> ChordDegrees(int root, bool seventh = false);
// The chord tone of the triad on `root` nearest to `degree` (ties go down).
int NearestChordTone(int root, int degree);

// One note of a motif: a degree relative to the motif's anchor, onset and length in sixteenths.
struct MotifNote {
    int step;
    int start;
    int length;
};
using Motif = std::vector<MotifNote>;

// Motif development.
Motif Inverted(const Motif& motif);              // mirror the contour around the first note
Motif Fragmented(const Motif& motif, int bar16);  // the first half, stated twice
Motif Ornamented(const Motif& motif);             // split long notes into a neighbour-note turn
Motif Transposed(const Motif& motif, int steps);

// A melodic note in degrees, placed in sixteenths from the start of a section.
struct MelodyNote {
    int degree;
    int start;
    int length;
    int velocity;
};

enum class Development { Invert, Fragment, Ornament, Rise };

// Writes a four-bar phrase over four chords (one per bar): the motif, its sequence on the next chord,
// a development, and a cadence that lands on `cadenceTarget` (a chord tone of the last chord, given
// as 0 root, 1 third, 2 fifth). Notes on strong beats are moved to the nearest chord tone.
// `anchor` carries the melodic position from phrase to phrase.
std::vector<MelodyNote> Phrase(const Motif& motif, const std::vector<int>& chords, int firstBar, int bar16,
                               Development development, int cadenceTarget, int& anchor);

// Closest voicing of a chord to the previous one: for each chord tone the octave nearest to the
// previous voice, all within [low, high] pitches and without duplicates. Returns sorted pitches.
std::vector<int> VoiceLead(const Scale& scale, int root, bool seventh, const std::vector<int>& previous, int low,
                           int high);

}  // namespace orvane::assets::audio
