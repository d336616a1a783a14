#include "audio/Music.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace orvane::assets::audio {

const std::vector<int> Scale::kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> Scale::kDorian = {0, 2, 3, 5, 7, 9, 10};
const std::vector<int> Scale::kPhrygian = {0, 1, 3, 5, 7, 8, 10};
const std::vector<int> Scale::kLydian = {0, 2, 4, 6, 7, 9, 11};
const std::vector<int> Scale::kMixolydian = {0, 2, 4, 5, 7, 9, 10};
const std::vector<int> Scale::kAeolian = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> Scale::kHarmonicMinor = {0, 2, 3, 5, 7, 8, 11};

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// A root movement expressed as the smallest step: 5 -> -2, -4 -> 3.
int SmallestMove(int from, int to) {
    int move = ((to - from) % 7 + 7) % 7;
    return move > 3 ? move - 7 : move;
}

// Keeps a melodic anchor in a singable band around the phrase register by whole octaves.
int InRegister(int degree) {
    while (degree > 18) degree -= 7;
    while (degree < 11) degree += 7;
    return degree;
}

int Velocity(int startInBar, int bar16) {
    if (startInBar == 0) return 104;
    if (startInBar % 4 == 0) return bar16 % 8 == 0 && startInBar % 8 == 0 ? 98 : 92;
    return 82;
}

}  // namespace

int Scale::Pitch(int degree) const {
    const int n = Size();
    const int octave = FloorDiv(degree, n);
    return tonic_ + 12 * octave + steps_[static_cast<std::size_t>(degree - octave * n)];
}

std::vector<int> ChordDegrees(int root, bool seventh) {
    std::vector<int> degrees = {root, root + 2, root + 4};
    if (seventh) degrees.push_back(root + 6);
    return degrees;
}

int NearestChordTone(int root, int degree) {
    int best = degree, bestDistance = std::numeric_limits<int>::max();
    const int base = root + 7 * FloorDiv(degree - root, 7);
    for (int octave = -1; octave <= 1; ++octave) {
        for (int offset : {0, 2, 4}) {
            const int candidate = base + 7 * octave + offset;
            const int distance = std::abs(candidate - degree);
            if (distance < bestDistance || (distance == bestDistance && candidate < best)) {
                best = candidate;
                bestDistance = distance;
            }
        }
    }
    return best;
}

Motif Inverted(const Motif& motif) {
    Motif out = motif;
    if (out.empty()) return out;
    const int pivot = motif.front().step;
    for (auto& n : out) n.step = 2 * pivot - n.step;
    return out;
}

Motif Fragmented(const Motif& motif, int bar16) {
    const int half = bar16 / 2;
    Motif first;
    for (auto n : motif) {
        if (n.start < half) {
            n.length = std::min(n.length, half - n.start);
            first.push_back(n);
        }
    }
    if (first.empty()) return motif;
    Motif out = first;
    for (auto n : first) {
        n.start += half;
        n.step += 1;  // the restatement climbs a step
        out.push_back(n);
    }
    return out;
}

Motif Ornamented(const Motif& motif) {
    Motif out;
    for (const auto& n : motif) {
        if (n.length >= 4) {
            const int quarter = n.length / 4;
            out.push_back({n.step, n.start, n.length / 2});
            out.push_back({n.step + 1, n.start + n.length / 2, quarter});
            out.push_back({n.step, n.start + n.length / 2 + quarter, n.length - n.length / 2 - quarter});
        } else {
            out.push_back(n);
        }
    }
    return out;
}

Motif Transposed(const Motif& motif, int steps) {
    Motif out = motif;
    for (auto& n : out) n.step += steps;
    return out;
}

std::vector<MelodyNote> Phrase(const Motif& motif, const std::vector<int>& chords, int firstBar, int bar16,
                               Development development, int cadenceTarget, int& anchor) {
    std::vector<MelodyNote> notes;
    const int strongBeat = bar16 % 8 == 0 ? 8 : bar16;
    auto emit = [&](const Motif& m, int bar, int chord, int at) {
        std::vector<MelodyNote> barNotes;
        int lowest = std::numeric_limits<int>::max(), highest = std::numeric_limits<int>::min();
        for (const auto& n : m) {
            if (n.start >= bar16) continue;
            int degree = at + n.step;
            if (n.start % strongBeat == 0) degree = NearestChordTone(chord, degree);
            const int length = std::min(n.length, bar16 - n.start);
            barNotes.push_back({degree, (firstBar + bar) * bar16 + n.start, length, Velocity(n.start, bar16)});
            lowest = std::min(lowest, degree);
            highest = std::max(highest, degree);
        }
        // A developed motif that leaves the register is moved by an octave as a whole.
        const int shift = lowest < 9 ? 7 : highest > 23 ? -7 : 0;
        for (auto& n : barNotes) {
            n.degree += shift;
            notes.push_back(n);
        }
    };

    anchor = InRegister(NearestChordTone(chords[0], anchor));
    emit(motif, 0, chords[0], anchor);

    anchor = InRegister(NearestChordTone(chords[1], anchor + SmallestMove(chords[0], chords[1])));
    emit(motif, 1, chords[1], anchor);

    Motif developed;
    switch (development) {
        case Development::Invert: developed = Inverted(motif); break;
        case Development::Fragment: developed = Fragmented(motif, bar16); break;
        case Development::Ornament: developed = Ornamented(motif); break;
        case Development::Rise: developed = Transposed(motif, 2); break;
    }
    anchor = InRegister(NearestChordTone(chords[2], anchor + SmallestMove(chords[1], chords[2])));
    emit(developed, 2, chords[2], anchor);

    // Cadence: the motif's first-beat pick-up, then a long chord tone held to just before the bar line.
    anchor = InRegister(NearestChordTone(chords[3], anchor + SmallestMove(chords[2], chords[3])));
    Motif pickup;
    for (auto n : motif) {
        if (n.start < 4) {
            n.length = std::min(n.length, 4 - n.start);
            pickup.push_back(n);
        }
    }
    emit(pickup, 3, chords[3], anchor);
    int target = chords[3] + 2 * cadenceTarget;
    target += 7 * FloorDiv(anchor - target + 3, 7);
    notes.push_back({target, (firstBar + 3) * bar16 + 4, bar16 - 6, 96});
    return notes;
}

std::vector<int> VoiceLead(const Scale& scale, int root, bool seventh, const std::vector<int>& previous, int low,
                           int high) {
    const std::vector<int> degrees = ChordDegrees(root, seventh);
    // Candidate pitches of every chord tone inside the range.
    std::vector<std::vector<int>> options;
    for (int d : degrees) {
        const int pc = scale.Pitch(d);
        std::vector<int> pitches;
        for (int p = pc - 48; p <= high; p += 12)
            if (p >= low) pitches.push_back(p);
        options.push_back(pitches);
    }
    std::vector<int> best;
    long bestCost = std::numeric_limits<long>::max();
    std::vector<std::size_t> pick(options.size(), 0);
    const int centre = (low + high) / 2;
    while (true) {
        bool valid = true;
        std::vector<int> chord;
        for (std::size_t i = 0; i < options.size(); ++i) {
            if (options[i].empty()) return {};
            chord.push_back(options[i][pick[i]]);
        }
        std::sort(chord.begin(), chord.end());
        for (std::size_t i = 1; i < chord.size(); ++i) valid = valid && chord[i] != chord[i - 1];
        valid = valid && chord.back() - chord.front() <= 14;
        if (valid) {
            long cost = 0;
            for (std::size_t i = 0; i < chord.size(); ++i) {
                const int reference = previous.size() == chord.size() ? previous[i] : centre;
                cost += std::abs(chord[i] - reference);
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = chord;
            }
        }
        std::size_t k = 0;
        while (k < pick.size() && ++pick[k] == options[k].size()) pick[k++] = 0;
        if (k == pick.size()) break;
    }
    return best;
}

}  // namespace orvane::assets::audio
