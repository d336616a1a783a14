#include "audio/Pieces.h"

namespace orvane::assets::audio {

namespace {

// General MIDI percussion keys.
constexpr int kKick = 36, kStick = 37, kSnare = 38, kClap = 39, kHat = 42, kOpenHat = 46, kTomLow = 45,
              kTomMid = 47, kRide = 51, kRideBell = 53, kTambourine = 54, kShaker = 70;

// Grooves, each a main and a contrasting variant for the B sections.
Groove Rock() {
    return {{{kKick, "X.....x.X.x....."}, {kSnare, "....X.......X..."}, {kHat, "x.x.x.x.x.x.x.x."}}};
}
Groove RockRide() {
    return {{{kKick, "X.....x.X.x...x."}, {kSnare, "....X.......X..o"}, {kRide, "x.x.x.x.x.x.x.x."}}};
}
Groove FourOnFloor() {
    return {{{kKick, "X...X...X...X..."}, {kClap, "....x.......x..."}, {kHat, "x...x...x...x..."},
             {kOpenHat, "..x...x...x...x."}}};
}
Groove FourOnFloorDrive() {
    return {{{kKick, "X...X...X...X..."}, {kSnare, "....X.......X..."}, {kClap, "....x.......x..."},
             {kHat, "xoxoxoxoxoxoxoxo"}}};
}
Groove Breakbeat() {
    return {{{kKick, "X.....x...x....."}, {kSnare, "....X..o.o..X..o"}, {kHat, "x.x.x.x.x.x.x.x."}}};
}
Groove BreakbeatRide() {
    return {{{kKick, "X.x...x...x..x.."}, {kSnare, "....X..o.o..X..."}, {kRide, "x.x.x.x.x.x.x.x."}}};
}
Groove Tribal() {
    return {{{kKick, "X..x..x...x.x..."}, {kTomLow, "..x.....x.....x."}, {kTomMid, "......x.....x..."},
             {kShaker, "oxoxoxoxoxoxoxox"}}};
}
Groove TribalFull() {
    return {{{kKick, "X..x..x...x.x..."}, {kTomLow, "..x...........x."}, {kSnare, "....X.......X..."},
             {kTambourine, "x.x.x.x.x.x.x.x."}}};
}
Groove DrumAndBass() {
    return {{{kKick, "X.........X....."}, {kSnare, "....X.......X..."}, {kHat, "x.x.x.x.x.x.x.xx"}}};
}
Groove DrumAndBassRide() {
    return {{{kKick, "X.........X..x.."}, {kSnare, "....X..o....X..."}, {kRide, "x.x.x.x.x.x.x.x."},
             {kHat, ".o.o.o.o.o.o.o.o"}}};
}
Groove Shuffle() {
    return {{{kKick, "X.....x.X.....x."}, {kSnare, "....X.......X..."}, {kHat, "x..xx..xx..xx..x"}}};
}
Groove ShuffleRide() {
    return {{{kKick, "X.....x.X.....x."}, {kStick, "....x.......x..."}, {kRide, "x..xx..xx..xx..x"}}};
}
Groove Funk() {
    return {{{kKick, "X..x..x...x..x.."}, {kSnare, "....X..o.o..X..o"}, {kHat, "xoxoxoxoxoxoxoxo"}}};
}
Groove FunkOpen() {
    return {{{kKick, "X..x..x...x..x.."}, {kSnare, "....X..o.o..X..."}, {kHat, "x.x.x.x.x.x.x.x."},
             {kOpenHat, ".......x.......x"}}};
}
Groove Metal() {
    return {{{kKick, "X.x.X.x.X.x.X.x."}, {kSnare, "....X.......X..."}, {kHat, "x.x.x.x.x.x.x.x."}}};
}
Groove MetalDouble() {
    return {{{kKick, "XxxxXxxxXxxxXxxx"}, {kSnare, "....X.......X..."}, {kRideBell, "x...x...x...x..."}}};
}
Groove Waltz() {
    return {{{kKick, "X.......x..."}, {kSnare, "....x...x..."}, {kHat, "x.x.x.x.x.x."}}};
}
Groove WaltzRide() {
    return {{{kKick, "X.....x....."}, {kSnare, "....X...X..o"}, {kRide, "x.x.x.x.x.x."}}};
}
Groove March() {
    return {{{kKick, "X.......X......."}, {kSnare, "....X..o....X.oo"}, {kHat, "x.x.x.x.x.x.x.x."}}};
}
Groove MarchDrive() {
    return {{{kKick, "X...X...X...X..."}, {kSnare, "o.o.X.o.o.o.X.oo"}, {kRide, "x.x.x.x.x.x.x.x."}}};
}
Groove Ballad() {
    return {{{kKick, "X.........x....."}, {kStick, "....x.......x..."}, {kRide, "o...o...o...o..."}}};
}
Groove BalladLift() {
    return {{{kKick, "X.......x.x....."}, {kSnare, "....x.......x..."}, {kHat, "o.o.o.o.o.o.o.o."}}};
}

std::vector<PiecePlan> Compose() {
    std::vector<PiecePlan> pieces;
    // Title theme: heroic brass over strings and harp, C minor.
    pieces.push_back({
        .fileName = "inizio1.mid", .title = "Orvane 2020 the Sun", .tempo = 116, .beatsPerBar = 4,
        .tonic = 48, .mode = Scale::kAeolian, .keySharps = -3, .keyMinor = true,
        .leadProgram = 61, .arpProgram = 46, .padProgram = 48, .bassProgram = 32,
        .intro = {0, 0, 5, 6}, .partA = {0, 5, 2, 6, 0, 5, 3, 4}, .partB = {5, 3, 0, 4, 5, 3, 6, 6},
        .sevenths = false,
        .motifA = {{0, 0, 3}, {0, 3, 1}, {4, 4, 4}, {3, 8, 2}, {4, 10, 2}, {5, 12, 4}},
        .motifB = {{2, 0, 6}, {4, 6, 2}, {7, 8, 6}, {6, 14, 2}},
        .bass = "R---R---R---F-A-", .bassB = "R-R-R-R-R-R-F-A-", .arp = "0123456765432101",
        .groove = March(), .grooveB = MarchDrive(), .form = "IAAB", .minSeconds = 0,
    });
    // Game over: a slow lament for piano, choir and cello, A minor.
    pieces.push_back({
        .fileName = "fine.mid", .title = "Orvane - Game Over", .tempo = 72, .beatsPerBar = 4,
        .tonic = 45, .mode = Scale::kAeolian, .keySharps = 0, .keyMinor = true,
        .leadProgram = 0, .arpProgram = 46, .padProgram = 52, .bassProgram = 42,
        .intro = {0, 0, 5, 4}, .partA = {0, 6, 5, 4, 0, 3, 4, 4}, .partB = {5, 2, 3, 0, 5, 3, 4, 4},
        .sevenths = true,
        .motifA = {{4, 0, 4}, {3, 4, 2}, {2, 6, 2}, {1, 8, 4}, {0, 12, 4}},
        .motifB = {{0, 0, 4}, {2, 4, 4}, {4, 8, 6}, {3, 14, 2}},
        .bass = "R-------F-------", .bassB = "R-------T---F---", .arp = "0-1-2-1-3-1-2-1-",
        .groove = Ballad(), .grooveB = BalladLift(), .form = "AB", .minSeconds = 0,
    });
    // 1: dawn patrol, E minor, driving saw lead.
    pieces.push_back({
        .fileName = "1.mid", .title = "Dawn Patrol", .tempo = 132, .beatsPerBar = 4,
        .tonic = 40, .mode = Scale::kAeolian, .keySharps = 1, .keyMinor = true,
        .leadProgram = 81, .arpProgram = 90, .padProgram = 89, .bassProgram = 38,
        .intro = {0, 0, 5, 6}, .partA = {0, 5, 2, 6, 0, 5, 3, 4}, .partB = {3, 4, 0, 5, 3, 4, 6, 6},
        .sevenths = false,
        .motifA = {{0, 0, 2}, {1, 2, 2}, {2, 4, 4}, {4, 8, 2}, {3, 10, 2}, {2, 12, 4}},
        .motifB = {{4, 0, 6}, {3, 6, 2}, {2, 8, 4}, {0, 12, 4}},
        .bass = "R-.RR-.RR-.RF-O-", .bassB = "R-R-R-R-F-F-O-A-", .arp = "0123012301230123",
        .groove = Rock(), .grooveB = RockRide(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 2: desert, A harmonic minor, sitar over strings.
    pieces.push_back({
        .fileName = "2.mid", .title = "Desert Run", .tempo = 120, .beatsPerBar = 4,
        .tonic = 45, .mode = Scale::kHarmonicMinor, .keySharps = 0, .keyMinor = true,
        .leadProgram = 104, .arpProgram = 24, .padProgram = 48, .bassProgram = 33,
        .intro = {0, 0, 3, 4}, .partA = {0, 3, 4, 0, 5, 3, 4, 4}, .partB = {5, 2, 3, 0, 5, 3, 4, 4},
        .sevenths = false,
        .motifA = {{0, 0, 3}, {1, 3, 1}, {2, 4, 2}, {1, 6, 2}, {0, 8, 2}, {-1, 10, 2}, {0, 12, 4}},
        .motifB = {{2, 0, 4}, {4, 4, 4}, {3, 8, 2}, {2, 10, 2}, {1, 12, 4}},
        .bass = "R--R--R-F--R--A-", .bassB = "R---F---O---F-A-", .arp = "0.1.2.1.0.1.2.1.",
        .groove = Tribal(), .grooveB = TribalFull(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 3: ice field, F# minor, vibraphone and celesta over a halo pad.
    pieces.push_back({
        .fileName = "3.mid", .title = "Ice Field", .tempo = 100, .beatsPerBar = 4,
        .tonic = 42, .mode = Scale::kAeolian, .keySharps = 3, .keyMinor = true,
        .leadProgram = 11, .arpProgram = 8, .padProgram = 94, .bassProgram = 35,
        .intro = {0, 5, 0, 5}, .partA = {0, 5, 3, 4, 0, 5, 6, 6}, .partB = {3, 0, 5, 2, 3, 6, 4, 4},
        .sevenths = true,
        .motifA = {{4, 0, 4}, {2, 4, 2}, {3, 6, 2}, {1, 8, 4}, {0, 12, 4}},
        .motifB = {{0, 0, 2}, {2, 2, 2}, {4, 4, 2}, {7, 6, 6}, {6, 12, 2}, {4, 14, 2}},
        .bass = "R-------F---O---", .bassB = "R-----R-F-----A-", .arp = "4-2-3-1-4-2-3-1-",
        .groove = Breakbeat(), .grooveB = BreakbeatRide(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 4: night raid, C minor, square lead on a four-on-the-floor pulse.
    pieces.push_back({
        .fileName = "4.mid", .title = "Night Raid", .tempo = 110, .beatsPerBar = 4,
        .tonic = 48, .mode = Scale::kAeolian, .keySharps = -3, .keyMinor = true,
        .leadProgram = 80, .arpProgram = 81, .padProgram = 95, .bassProgram = 39,
        .intro = {0, 0, 5, 4}, .partA = {0, 5, 6, 4, 0, 5, 3, 4}, .partB = {5, 3, 0, 4, 5, 3, 4, 4},
        .sevenths = false,
        .motifA = {{0, 0, 2}, {0, 2, 1}, {2, 3, 3}, {0, 6, 2}, {4, 8, 4}, {3, 12, 2}, {2, 14, 2}},
        .motifB = {{2, 0, 6}, {1, 6, 2}, {0, 8, 6}, {-1, 14, 2}},
        .bass = "..R-..R-..R-..R-", .bassB = "R.RO..R.R.RO..A.", .arp = "0312031203120312",
        .groove = FourOnFloor(), .grooveB = FourOnFloorDrive(), .form = "IAABA",
        .minSeconds = kLevelPieceMinSeconds,
    });
    // 5: alien skies, B minor, charang lead over atmosphere and crystal arpeggios.
    pieces.push_back({
        .fileName = "5.mid", .title = "Alien Skies", .tempo = 138, .beatsPerBar = 4,
        .tonic = 47, .mode = Scale::kAeolian, .keySharps = 2, .keyMinor = true,
        .leadProgram = 84, .arpProgram = 98, .padProgram = 99, .bassProgram = 38,
        .intro = {0, 6, 0, 6}, .partA = {0, 6, 5, 6, 0, 6, 3, 4}, .partB = {3, 1, 5, 4, 3, 5, 6, 6},
        .sevenths = false,
        .motifA = {{0, 0, 1}, {1, 1, 1}, {0, 2, 2}, {4, 4, 4}, {3, 8, 1}, {4, 9, 1}, {3, 10, 2}, {1, 12, 4}},
        .motifB = {{4, 0, 2}, {6, 2, 2}, {4, 4, 4}, {2, 8, 4}, {1, 12, 2}, {0, 14, 2}},
        .bass = "R-.RR-.R.RR-.RF-", .bassB = "R-R-.RR-F-F-.FA-", .arp = "0.2.4.2.5.2.4.2.",
        .groove = Tribal(), .grooveB = BreakbeatRide(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 6: canyon chase, G mixolydian, overdriven guitar and synth brass.
    pieces.push_back({
        .fileName = "6.mid", .title = "Canyon Chase", .tempo = 150, .beatsPerBar = 4,
        .tonic = 43, .mode = Scale::kMixolydian, .keySharps = 0, .keyMinor = false,
        .leadProgram = 29, .arpProgram = 27, .padProgram = 62, .bassProgram = 34,
        .intro = {0, 6, 3, 0}, .partA = {0, 6, 3, 0, 0, 6, 3, 3}, .partB = {3, 3, 0, 0, 6, 6, 4, 4},
        .sevenths = false,
        .motifA = {{0, 0, 2}, {2, 2, 2}, {4, 4, 2}, {6, 6, 2}, {4, 8, 2}, {3, 10, 2}, {4, 12, 4}},
        .motifB = {{7, 0, 4}, {6, 4, 2}, {4, 6, 2}, {3, 8, 4}, {1, 12, 4}},
        .bass = "R-R-R-R-R-R-R-R-", .bassB = "R-R-O-R-F-F-O-A-", .arp = "0.1.2.3.2.1.0.1.",
        .groove = Rock(), .grooveB = MetalDouble(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 7: storm front, D minor in three, French horn over harp and strings.
    pieces.push_back({
        .fileName = "7.mid", .title = "Storm Front", .tempo = 96, .beatsPerBar = 3,
        .tonic = 38, .mode = Scale::kAeolian, .keySharps = -1, .keyMinor = true,
        .leadProgram = 60, .arpProgram = 46, .padProgram = 49, .bassProgram = 32,
        .intro = {0, 0, 5, 4}, .partA = {0, 3, 6, 2, 5, 3, 4, 4}, .partB = {5, 6, 0, 3, 5, 6, 4, 4},
        .sevenths = false,
        .motifA = {{0, 0, 4}, {2, 4, 2}, {4, 6, 2}, {3, 8, 2}, {2, 10, 2}},
        .motifB = {{4, 0, 6}, {3, 6, 2}, {2, 8, 4}},
        .bass = "R---F---O---", .bassB = "R---F-T-F-A-", .arp = "0-1-2-3-2-1-",
        .groove = Waltz(), .grooveB = WaltzRide(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 8: golden hour, E-flat lydian, trumpet over slap bass and electric piano.
    pieces.push_back({
        .fileName = "8.mid", .title = "Golden Hour", .tempo = 124, .beatsPerBar = 4,
        .tonic = 51, .mode = Scale::kLydian, .keySharps = -2, .keyMinor = false,
        .leadProgram = 56, .arpProgram = 4, .padProgram = 90, .bassProgram = 36,
        .intro = {0, 1, 0, 1}, .partA = {0, 1, 5, 4, 0, 1, 2, 4}, .partB = {5, 2, 1, 4, 5, 2, 1, 1},
        .sevenths = true,
        .motifA = {{4, 0, 2}, {3, 2, 1}, {4, 3, 3}, {0, 6, 2}, {1, 8, 2}, {2, 10, 2}, {3, 12, 4}},
        .motifB = {{0, 0, 3}, {2, 3, 3}, {4, 6, 2}, {6, 8, 4}, {5, 12, 4}},
        .bass = "R..O..R.R.O..RA.", .bassB = "R.RO.RR.F.FO.RA.", .arp = "..0...1...2..1..",
        .groove = Funk(), .grooveB = FunkOpen(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 9: hyperdrive, C-sharp minor, fast breaks under a bass-and-lead synth.
    pieces.push_back({
        .fileName = "9.mid", .title = "Hyperdrive", .tempo = 160, .beatsPerBar = 4,
        .tonic = 49, .mode = Scale::kAeolian, .keySharps = 4, .keyMinor = true,
        .leadProgram = 87, .arpProgram = 81, .padProgram = 50, .bassProgram = 38,
        .intro = {0, 5, 6, 4}, .partA = {0, 5, 6, 4, 0, 5, 6, 6}, .partB = {3, 0, 4, 5, 3, 0, 6, 6},
        .sevenths = false,
        .motifA = {{0, 0, 1}, {0, 2, 1}, {4, 3, 2}, {3, 6, 1}, {2, 8, 2}, {0, 10, 2}, {2, 12, 2}, {1, 14, 2}},
        .motifB = {{4, 0, 6}, {2, 6, 2}, {0, 8, 6}, {1, 14, 2}},
        .bass = "R-----R---R-----", .bassB = "R-----R---R---A-", .arp = "0123432101234321",
        .groove = DrumAndBass(), .grooveB = DrumAndBassRide(), .form = "IAABA",
        .minSeconds = kLevelPieceMinSeconds,
    });
    // 10: sky garden, B-flat mixolydian, flute and choir with kalimba.
    pieces.push_back({
        .fileName = "10.mid", .title = "Sky Garden", .tempo = 112, .beatsPerBar = 4,
        .tonic = 46, .mode = Scale::kMixolydian, .keySharps = -3, .keyMinor = false,
        .leadProgram = 73, .arpProgram = 108, .padProgram = 52, .bassProgram = 33,
        .intro = {0, 6, 3, 0}, .partA = {0, 3, 6, 0, 5, 3, 4, 4}, .partB = {3, 4, 5, 0, 3, 4, 6, 6},
        .sevenths = true,
        .motifA = {{4, 0, 3}, {5, 3, 1}, {4, 4, 2}, {2, 6, 2}, {0, 8, 4}, {1, 12, 2}, {2, 14, 2}},
        .motifB = {{0, 0, 2}, {2, 2, 2}, {4, 4, 2}, {5, 6, 2}, {6, 8, 6}, {4, 14, 2}},
        .bass = "R--R--R-F--F--A-", .bassB = "R---T---F---A---", .arp = "0-2-4-2-3-2-4-2-",
        .groove = Shuffle(), .grooveB = ShuffleRide(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    // 11: final assault, F harmonic minor, distorted guitar, strings and orchestra hits.
    pieces.push_back({
        .fileName = "11.mid", .title = "Final Assault", .tempo = 144, .beatsPerBar = 4,
        .tonic = 41, .mode = Scale::kHarmonicMinor, .keySharps = -4, .keyMinor = true,
        .leadProgram = 30, .arpProgram = 55, .padProgram = 48, .bassProgram = 39,
        .intro = {0, 0, 5, 4}, .partA = {0, 5, 3, 4, 0, 3, 4, 4}, .partB = {2, 5, 3, 4, 2, 5, 4, 4},
        .sevenths = false,
        .motifA = {{0, 0, 2}, {0, 2, 2}, {0, 4, 1}, {2, 5, 3}, {1, 8, 2}, {0, 10, 2}, {-1, 12, 4}},
        .motifB = {{4, 0, 4}, {5, 4, 4}, {4, 8, 2}, {3, 10, 2}, {2, 12, 4}},
        .bass = "R.R.R.R.R.R.R.R.", .bassB = "R-R-R-R-F-F-O-A-", .arp = "0.....0.....0...",
        .groove = Metal(), .grooveB = MetalDouble(), .form = "IAABA", .minSeconds = kLevelPieceMinSeconds,
    });
    return pieces;
}

}  // namespace

const std::vector<PiecePlan>& MusicPieces() {
    static const std::vector<PiecePlan> pieces = Compose();
    return pieces;
}

}  // namespace orvane::assets::audio
