// The campaign in progress, kept in the data folder at the start of each of its sets so that a
// campaign left by closing the game, a lost display or a crash can be played on. The text is a
// match record's head and set line and one line of totals. Window thread.
#pragma once

#include <string>
#include <string_view>

#include "game/match_recorder.h"

class CGameSettings;

// $XDG_DATA_HOME/kelvodara/campaign.state.
std::string CampaignStatePath();
SCampaignSet CampaignSetOf(const CGameSettings& s, int nStarter);
std::string FormatCampaignState(const SCampaignSet& set);
// False, with a message naming the file and what is wrong, for a damaged or foreign text.
bool ParseCampaignState(std::string_view text, const std::string& name, SCampaignSet& out, std::string& error);
// Replaces the file atomically; false when it could not be written.
bool WriteCampaignState(const std::string& path, const SCampaignSet& set);
// False when there is no file; a damaged one is logged and also gives false.
bool ReadCampaignState(const std::string& path, SCampaignSet& out);
void RemoveCampaignState(const std::string& path);
