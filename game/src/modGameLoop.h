// modGameLoop: the playing loop with its set-up, a new game, level completion, the alarm after
// every fourth hit, and the hazard billboards.
#pragma once

namespace orvane {

// Runs the game: the set-up (title screens included), then playing frames until the craft is lost
// and the game-over screen restarts it, again and again. The process ends inside (ExitGame).
void RunGame();
// The set-up of a run: a new level music sound and player craft, NewGame, the title screens, and
// the start of play (fade, music, start jingle, the bonus station placed).
void BeginRun();
// One playing frame in its fixed order: frame rate, messages, sky and terrain, HUD, level-end
// tests, tanks and fleet, level completion, scene, player, hazards, alarm, present, input, and the
// loss of the craft. False when the craft was lost and the game-over screen chose a restart.
bool PlayingFrame();
// The game variables of a new game, the first level's music loaded, the title music started.
void NewGame();
// A completed level: more enemies, the next level's number, points, look and music.
void AdvanceLevel();
// 20 damage points, the alarm sound, the level music started again.
void AlarmEvent();
// The aim ray against the flame and explosion billboards: a touch costs 5 damage points.
void CheckHazards();
// Stop_ on the effect sounds: explosion, launch, both crashes, start, alarm (unless left out),
// outside and bonus, in this order.
void StopEffectSounds(bool withAlarm = true);

}  // namespace orvane
