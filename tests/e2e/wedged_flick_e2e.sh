#!/usr/bin/env bash
# Two players, quick game, square wooden board: black's first flick, made by X clicks, leaves
# draughts pressed together handing speeds back and forth. The flick must end at once as at
# rest, with no step-limit line in the log, and the next turn must follow.
# Usage: wedged_flick_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" wedged_flick
# A sanitized game runs several times slower. The wedged flick used to play for a minute.
ldd "$GAME" | grep -qE "lib(a|t)san" && TURN_S=60 || TURN_S=15
layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1

turns_above() { (($(log_count "Next move:") > $1)); }
# flick N FROM_X FROM_Y TO_X TO_Y: the N-th flick of the game; true when the turn passed.
flick() {
    wait_stable 10
    click_at "$2" "$3"
    move_to "$4" "$5"
    xdotool click 1
    move_to 400 40
    wait_until $TURN_S turns_above $(($1 - 1))
}

new_profile wedged
mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\r\nGameMode=0\r\nTurnType=0\r\nCheckType=1\r\nBoardType=0\r\nMyWhite=1\r\nFullScreen=0\r\nStarType=2\r\nDepthBits=24\r\n' >"$INI"
start_game || e2e_finish
wait_stable && click_at $(button_point multi kMainButtons)
wait_stable && click_at $(button_point beginer kLevelButtons)
wait_until 5 log_has "Match started" || fail "no match started"
move_to 400 40
flick 1 218 461 173 517 && pass "white's flick ended" || fail "white's flick did not end"
t0=$(date +%s%N)
flick 2 581 461 609 493 && pass "black's turn passed after $((($(date +%s%N) - t0) / 1000000)) ms" ||
    fail "black's flick did not end within $TURN_S s"
keep_shot "$(shot)" after-black
log_has "A flick was ended after" && fail "a flick ran into the step limit" || pass "no flick ran into the step limit"
log_has "Draughts held pressed together" && pass "the wedge came and was ended" || fail "the clicks no longer wedge the draughts"
cp "$LOG" "$ART/wedged.log"
e2e_finish
