// The game's sound numbers: what a sound request carries and where each sound's file stands in
// the pack's list of sounds. Constants only; any thread.
#pragma once

enum EGameSound : int {
    SOUND_BONE = 0,  // knocks during playback (0..2 by draught material)
    SOUND_STONE = 1,
    SOUND_WOOD = 2,
    SOUND_CLICK = 3,  // menu buttons and selectors
    SOUND_WIN = 4,
    SOUND_LOST = 5,
    SOUND_TIEUP = 6,
    SOUND_CAMPAIGN_OVER = 7,
    SOUND_TURN = 8,
    SOUND_PAUSE = 9,
    SOUND_MENU_MOVE = 10,
    SOUND_BOX = 11,
    SOUND_ROUND = 12,
    SOUND_MULTI = 13,
    SOUND_FIRST_FRAME = 14,
    SOUND_SHOT = 15,  // a flick is launched
    SOUND_SET = 16,
    SOUND_MENU_MUSIC = 17,  // looping, window thread only; never requested as an effect
    SOUND_BEGIN = 18,       // start jingle: a later effect does not cut it
    SOUND_ERROR = 19,
};
inline constexpr int kGameSoundCount = 20;
