// modInput: the keyboard and mouse during play: steering and firing with the mouse, the key
// commands, the screenshot key, and the craft turned back at the edges of the play area.
#pragma once

namespace orvane {

// Once per playing frame, after Present: ReadKeys, then ReadMouse. Either may end the process.
void ReadInput();
// Left Ctrl: screenshot ("00000.bmp" in the home directory); R+T: a hit towards the level's end;
// Z+X: 10 damage points repaired; E+W: 10 damage points more; Escape (or the window's close
// button): the game ends.
void ReadKeys();
// Left button: fire; the play area's edges (60..1960 on x, 80..1960 on z); forward motion unless
// the right button is held; turning and tilting from the mouse's relative motion.
void ReadMouse();
// The craft met an edge of the play area: the alarm sound, 3 damage points, the explosion
// billboard under the camera.
void BoundaryHit();

}  // namespace orvane
