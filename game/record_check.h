// Plays a match record again through the simulation and checks that every flick ends where the
// record says. Any thread; touches only its own copies.
#pragma once

#include <string>

#include "game/match_record.h"

// False at the first flick that cannot be played as recorded (its draught is off the board or
// not of its side) or that ends elsewhere; error then names the file and the flick's line.
// flicks counts those that matched.
bool CheckRecordPlays(const SMatchRecord& record, const std::string& name, int& nFlicks, std::string& error);
