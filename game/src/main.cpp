// orvane: the game program.
#include "modSubMain.h"

int main() { orvane::Main(); }
