#include "audio/Arranger.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "audio/MidiFile.h"

namespace orvane::assets::audio {

namespace {

constexpr int kLead = 0, kArp = 1, kPad = 2, kBass = 3, kDrums = 9;
constexpr int kCrash = 49, kKick = 36, kSnare = 38;

struct Bar {
    char section;      // 'I', 'A', 'B' or 'C'
    int indexInPart;   // bar number inside its section
    int occurrence;    // how many sections of this letter came before
    int chord;
};

const std::vector<int>& ChordsOf(const PiecePlan& plan, char section) {
    switch (section) {
        case 'I': return plan.intro;
        case 'A': return plan.partA;
        default: return plan.partB;
    }
}

double SecondsOf(const PiecePlan& plan, int bars) { return bars * plan.beatsPerBar * 60.0 / plan.tempo; }

std::string ExpandForm(const PiecePlan& plan) {
    std::string form = plan.form;
    auto bars = [&](const std::string& f) {
        int total = 0;
        for (char c : f) total += static_cast<int>(ChordsOf(plan, c).size());
        return total;
    };
    bool breakdown = true;
    while (SecondsOf(plan, bars(form)) < plan.minSeconds) {
        form += breakdown ? "CA" : "BA";
        breakdown = !breakdown;
    }
    return form;
}

// Rounds a pitch into [low, low + 11].
int IntoOctave(int pitch, int low) {
    while (pitch < low) pitch += 12;
    while (pitch >= low + 12) pitch -= 12;
    return pitch;
}

// Onsets of a one-bar pattern: (position, length in sixteenths, symbol). '-' extends the previous note.
struct Onset {
    int position;
    int length;
    char symbol;
};
std::vector<Onset> ParsePattern(const std::string& pattern, int bar16) {
    if (static_cast<int>(pattern.size()) != bar16) throw std::invalid_argument("pattern length is not one bar");
    std::vector<Onset> onsets;
    for (int i = 0; i < bar16; ++i) {
        const char c = pattern[static_cast<std::size_t>(i)];
        if (c == '-') {
            if (!onsets.empty() && onsets.back().position + onsets.back().length == i) ++onsets.back().length;
        } else if (c != '.') {
            onsets.push_back({i, 1, c});
        }
    }
    return onsets;
}

// Loudness of a reference phrase (dB RMS) per General MIDI program in the SoundFont the game plays
// through (TimGM6mb); channel volumes are corrected towards kReferenceDb so that every piece is
// balanced whatever its instruments.
constexpr double kReferenceDb = -30.0;
double ProgramLevelDb(int program) {
    static const std::map<int, double> kLevels = {
        {0, -34},  {4, -27},  {8, -33},  {11, -34}, {24, -31}, {27, -26}, {29, -29}, {30, -27}, {32, -31},
        {33, -29}, {34, -30}, {35, -28}, {36, -36}, {38, -29}, {39, -24}, {42, -32}, {43, -40}, {46, -34},
        {48, -33}, {49, -31}, {50, -19}, {52, -33}, {55, -31}, {56, -33}, {60, -28}, {61, -32}, {62, -20},
        {73, -30}, {80, -18}, {81, -15}, {84, -22}, {87, -17}, {89, -32}, {90, -24}, {94, -22}, {95, -20},
        {98, -26}, {99, -28}, {104, -34}, {108, -42}};
    const auto it = kLevels.find(program);
    return it == kLevels.end() ? kReferenceDb : it->second;
}

void SetUpChannel(MidiTrack& track, int channel, int program, int volume, int pan, int reverb, int chorus) {
    // Channel volume is a squared law: 40 log10(cc / 127) dB.
    const double correction = channel == 9 ? 1.0 : std::pow(10.0, (kReferenceDb - ProgramLevelDb(program)) / 40.0);
    volume = std::clamp(static_cast<int>(std::lround(volume * correction)), 1, 127);
    track.AddController(0, channel, 121, 0);  // reset controllers, so a loop starts from a known state
    track.AddProgram(0, channel, program);
    track.AddController(0, channel, 7, volume);
    track.AddController(0, channel, 10, pan);
    track.AddController(0, channel, 91, reverb);
    track.AddController(0, channel, 93, chorus);
}

class Arrangement {
public:
    explicit Arrangement(const PiecePlan& plan)
        : plan_(plan),
          scale_(plan.tonic, plan.mode),
          bar16_(plan.beatsPerBar * 4),
          barTicks_(static_cast<std::uint32_t>(bar16_ * kTicksPerSixteenth)),
          file_(kTicksPerQuarter) {}

    RenderedPiece Render() {
        const std::string form = ExpandForm(plan_);
        std::map<char, int> seen;
        for (char section : form) {
            const auto& chords = ChordsOf(plan_, section);
            if (chords.size() % 4 != 0 || chords.empty()) throw std::invalid_argument("sections are whole phrases");
            for (std::size_t i = 0; i < chords.size(); ++i)
                bars_.push_back({section, static_cast<int>(i), seen[section], chords[i]});
            ++seen[section];
        }

        MidiTrack& conductor = file_.AddTrack(plan_.title);
        conductor.AddTempo(0, plan_.tempo);
        conductor.AddTimeSignature(0, plan_.beatsPerBar, 4);
        conductor.AddKeySignature(0, plan_.keySharps, plan_.keyMinor);

        WriteLead(file_.AddTrack("Lead"));
        WriteArpeggio(file_.AddTrack("Arpeggio"));
        WritePad(file_.AddTrack("Pad"));
        WriteBass(file_.AddTrack("Bass"));
        WriteDrums(file_.AddTrack("Drums"));

        const auto end = static_cast<std::uint32_t>(bars_.size()) * barTicks_;
        return {file_.Encode(end), end, static_cast<int>(bars_.size()), SecondsOf(plan_, static_cast<int>(bars_.size())),
                form};
    }

private:
    std::uint32_t Tick(int bar, int sixteenth) const {
        return static_cast<std::uint32_t>(bar) * barTicks_ + static_cast<std::uint32_t>(sixteenth * kTicksPerSixteenth);
    }
    int ChordAfter(std::size_t bar) const { return bars_[(bar + 1) % bars_.size()].chord; }

    void WriteLead(MidiTrack& track) {
        SetUpChannel(track, kLead, plan_.leadProgram, 100, 64, 50, 10);
        static const Development kFirst[] = {Development::Rise, Development::Ornament, Development::Invert};
        static const Development kSecond[] = {Development::Fragment, Development::Invert, Development::Ornament};
        int anchor = 14;
        int count = 0;
        for (std::size_t b = 0; b < bars_.size(); ++b) {
            const Bar& bar = bars_[b];
            if (bar.indexInPart % 4 != 0 || bar.section == 'I') continue;
            // A breakdown rests, then hints at the main theme, inverted and softer, over its last phrase.
            const bool hint = bar.section == 'C';
            if (hint && bar.indexInPart != 4) continue;
            const auto& chords = ChordsOf(plan_, bar.section);
            const std::vector<int> four(chords.begin() + bar.indexInPart, chords.begin() + bar.indexInPart + 4);
            const bool answer = bar.indexInPart % 8 == 4 && !hint;
            const int k = bar.occurrence % 3;
            const Motif& motif = bar.section == 'B' ? plan_.motifB : plan_.motifA;
            const Development development = hint ? Development::Invert : answer ? kSecond[k] : kFirst[k];
            const auto notes = Phrase(motif, four, static_cast<int>(b), bar16_, development, answer ? 0 : 1, anchor);
            for (const auto& n : notes) {
                // A little deterministic unevenness, as a player would have.
                const int lilt = (count++ * 5) % 7 - 3;
                const int velocity = std::clamp(hint ? n.velocity - 18 + lilt : n.velocity + lilt, 1, 127);
                track.AddNote(static_cast<std::uint32_t>(n.start * kTicksPerSixteenth),
                              static_cast<std::uint32_t>(n.length * kTicksPerSixteenth - 12), kLead,
                              scale_.Pitch(n.degree), velocity);
            }
        }
    }

    void WriteArpeggio(MidiTrack& track) {
        SetUpChannel(track, kArp, plan_.arpProgram, 76, 88, 60, 30);
        const auto onsets = ParsePattern(plan_.arp, bar16_);
        for (std::size_t b = 0; b < bars_.size(); ++b) {
            const Bar& bar = bars_[b];
            const bool plays = bar.section == 'B' || bar.section == 'C' || (bar.section == 'A' && bar.occurrence > 0);
            if (!plays) continue;
            const auto tones = ChordDegrees(bar.chord, plan_.sevenths);
            for (const auto& o : onsets) {
                const int index = o.symbol - '0';
                if (index < 0 || index > 9) throw std::invalid_argument("bad arpeggio symbol");
                const int degree = tones[static_cast<std::size_t>(index) % tones.size()] +
                                   7 * (index / static_cast<int>(tones.size())) + 7;
                const int velocity = o.position % 4 == 0 ? 80 : 64;
                track.AddNote(Tick(static_cast<int>(b), o.position),
                              static_cast<std::uint32_t>(o.length * kTicksPerSixteenth - 10), kArp,
                              scale_.Pitch(degree), velocity);
            }
        }
    }

    void WritePad(MidiTrack& track) {
        SetUpChannel(track, kPad, plan_.padProgram, 80, 44, 70, 50);
        // The pad swells in over the intro (expression), and is at full expression from the first theme on.
        for (std::size_t b = 0; b < bars_.size() && bars_[b].section == 'I'; ++b) {
            const int introBars = static_cast<int>(plan_.intro.size());
            for (int beat = 0; beat < plan_.beatsPerBar; ++beat) {
                const int step = static_cast<int>(b) * plan_.beatsPerBar + beat;
                track.AddController(Tick(static_cast<int>(b), 4 * beat), kPad, 11,
                                    70 + 57 * step / (introBars * plan_.beatsPerBar));
            }
        }
        if (bars_.front().section == 'I') {
            for (std::size_t b = 0; b < bars_.size(); ++b) {
                if (bars_[b].section != 'I') {
                    track.AddController(Tick(static_cast<int>(b), 0), kPad, 11, 127);
                    break;
                }
            }
        }
        // Voice-led chords; a tone shared with the next chord of the same section is held over.
        std::vector<int> voicing;
        std::map<int, std::uint32_t> sounding;  // pitch -> start tick
        auto release = [&](int pitch, std::uint32_t at) {
            track.AddNote(sounding[pitch], at - sounding[pitch], kPad, pitch, 70);
            sounding.erase(pitch);
        };
        for (std::size_t b = 0; b < bars_.size(); ++b) {
            const std::uint32_t at = Tick(static_cast<int>(b), 0);
            voicing = VoiceLead(scale_, bars_[b].chord, plan_.sevenths, voicing, plan_.tonic + 10, plan_.tonic + 26);
            const bool newSection = bars_[b].indexInPart == 0;
            std::vector<int> ending;
            for (const auto& [pitch, start] : sounding) {
                if (newSection || std::find(voicing.begin(), voicing.end(), pitch) == voicing.end())
                    ending.push_back(pitch);
            }
            for (int pitch : ending) release(pitch, at);
            for (int pitch : voicing)
                if (!sounding.count(pitch)) sounding[pitch] = at;
        }
        std::vector<int> rest;
        for (const auto& [pitch, start] : sounding) rest.push_back(pitch);
        for (int pitch : rest) release(pitch, static_cast<std::uint32_t>(bars_.size()) * barTicks_);
    }

    void WriteBass(MidiTrack& track) {
        SetUpChannel(track, kBass, plan_.bassProgram, 104, 64, 20, 0);
        const auto mainOnsets = ParsePattern(plan_.bass, bar16_);
        const auto altOnsets = ParsePattern(plan_.bassB, bar16_);
        const auto heldOnsets = ParsePattern("R" + std::string(static_cast<std::size_t>(bar16_ - 1), '-'), bar16_);
        const int low = plan_.tonic - 5;
        for (std::size_t b = 0; b < bars_.size(); ++b) {
            const Bar& bar = bars_[b];
            const auto& onsets = bar.section == 'C' && bar.indexInPart < 4 ? heldOnsets
                                 : bar.section == 'B'                      ? altOnsets
                                                                           : mainOnsets;
            const int root = IntoOctave(scale_.Pitch(bar.chord), low);
            const int nextRoot = IntoOctave(scale_.Pitch(ChordAfter(b)), low);
            for (const auto& o : onsets) {
                int pitch = root;
                switch (o.symbol) {
                    case 'R': pitch = root; break;
                    case 'O': pitch = root + 12; break;
                    case 'F': pitch = IntoOctave(scale_.Pitch(bar.chord + 4), root); break;
                    case 'T': pitch = IntoOctave(scale_.Pitch(bar.chord + 2), root); break;
                    case 'A': pitch = IntoOctave(scale_.Pitch(ChordAfter(b) - 1), nextRoot - 11); break;
                    default: throw std::invalid_argument("bad bass symbol");
                }
                const int velocity = o.position == 0 ? 108 : o.position % 4 == 0 ? 98 : 88;
                track.AddNote(Tick(static_cast<int>(b), o.position),
                              static_cast<std::uint32_t>(o.length * kTicksPerSixteenth - 10), kBass, pitch, velocity);
            }
        }
    }

    void WriteDrums(MidiTrack& track) {
        SetUpChannel(track, kDrums, 0, 100, 64, 40, 0);
        for (std::size_t b = 0; b < bars_.size(); ++b) {
            const Bar& bar = bars_[b];
            const int length = static_cast<int>(ChordsOf(plan_, bar.section).size());
            const bool lastOfSection = bar.indexInPart == length - 1;
            const int fillLength = !lastOfSection ? 0 : (bar.section == 'B' || bar.section == 'C') ? 8 : 4;
            const int fillStart = bar16_ - std::min(fillLength, bar16_);
            const Groove& groove = bar.section == 'B' || (bar.section == 'C' && bar.indexInPart >= 4) ? plan_.grooveB
                                                                                                        : plan_.groove;
            for (const auto& line : groove.lines) {
                const bool isHat = line.note == 42 || line.note == 44 || line.note == 46 || line.note == 51;
                // The intro and the first half of a breakdown thin out to hats (and kick from the intro's third bar).
                if (bar.section == 'I' && !(isHat || (line.note == kKick && bar.indexInPart >= 2))) continue;
                if (bar.section == 'C' && bar.indexInPart < 4 && !isHat) continue;
                const auto onsets = ParsePattern(line.pattern, bar16_);
                for (const auto& o : onsets) {
                    if (fillLength > 0 && o.position >= fillStart && !(line.note == kKick && o.position == fillStart))
                        continue;
                    int velocity = o.symbol == 'X' ? 112 : o.symbol == 'o' ? 50 : 90;
                    velocity += static_cast<int>((b * 7 + static_cast<std::size_t>(o.position) * 13) % 7) - 3;
                    if (bar.section == 'C' && bar.indexInPart < 4) velocity -= 20;
                    track.AddNote(Tick(static_cast<int>(b), o.position), kTicksPerSixteenth / 2, kDrums, line.note,
                                  velocity);
                }
            }
            if (fillLength > 0) {
                static const int kFill[] = {kSnare, kSnare, kSnare, kSnare, 50, 48, 45, 41};
                const int first = 8 - fillLength;
                for (int i = 0; i < fillLength; ++i) {
                    const int note = kFill[first + i];
                    track.AddNote(Tick(static_cast<int>(b), fillStart + i), kTicksPerSixteenth / 2, kDrums, note,
                                  76 + 36 * i / fillLength);
                }
            }
            const bool crash = bar.indexInPart == 0 && (bar.section == 'A' || bar.section == 'B');
            if (crash || (bar.section == 'C' && bar.indexInPart == 4))
                track.AddNote(Tick(static_cast<int>(b), 0), kTicksPerSixteenth / 2, kDrums, kCrash, 108);
        }
    }

    const PiecePlan& plan_;
    Scale scale_;
    int bar16_;
    std::uint32_t barTicks_;
    MidiFile file_;
    std::vector<Bar> bars_;
};

}  // namespace

RenderedPiece RenderPiece(const PiecePlan& plan) { return Arrangement(plan).Render(); }

}  // namespace orvane::assets::audio
