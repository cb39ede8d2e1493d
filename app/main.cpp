// Process entry of Kelvo Dara: the game itself is RunGame. Main thread.
#include "app/game_entry.h"

int main() { return RunGame(false); }
