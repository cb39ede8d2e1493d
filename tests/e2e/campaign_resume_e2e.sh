#!/usr/bin/env bash
# The real game under Xvfb: a campaign started from the menus keeps its state file; the game is
# killed (-9) in the set, the file is moved on to a later set as the game writes it, and the next
# start offers the campaign on the main menu; accepted, it resumes that set with its lines,
# totals and starter. A declined campaign is gone.
# Usage: campaign_resume_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" campaign_resume
layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
SINGLE=$(button_point single kMainButtons) && BEGINNER=$(button_point beginer kLevelButtons) &&
    RESUME=$(button_point resume kMainButtons) && DISCARD=$(button_point discard kMainButtons) || exit 1

# The loading picture may stand still for a moment after the first frame.
start_menu() { start_game && sleep 0.7 && wait_stable; }

new_profile campaign
STATE=$XDG_DATA_HOME/kelvodara/campaign.state
mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\r\nGameMode=1\r\nBoardType=0\r\nMyWhite=1\r\nFullScreen=0\r\nStarType=2\r\n' >"$INI"
start_menu || exit 1
xdotool mousemove $SINGLE click 1 sleep 0.15 mousemove $BEGINNER click 1
wait_until 5 test -f "$STATE" || fail "no campaign state file at the campaign's start"
check "the first set's state" "set white=0 black=0|lost white=0 black=0 starter=1" "$(grep -E '^(set|lost) ' "$STATE" | paste -sd'|')"
kill -KILL "$GAME_PID"
wait_game_exit 5
# The campaign had reached its fourth set: lines and totals moved on, black to start.
sed -i -E 's/^set .*/set white=2 black=1/; s/^lost .*/lost white=13 black=8 starter=2/' "$STATE"
cp "$STATE" "$ART/campaign.state"

start_menu || exit 1
keep_shot "$LAST_SHOT" 2-main-offer
wait_until 10 log_has "A campaign is kept: board 0, lines 2 and 1, 13 white and 8 black draughts lost" ||
    fail "the kept campaign is not reported"
xdotool mousemove $RESUME click 1
wait_until 5 log_has "Campaign resumed" || fail "the campaign did not resume"
check "the resumed set" "lines 2 and 1, 13 white and 8 black draughts lost, side 2 starts" \
    "$(grep -F "Campaign resumed" "$LOG" | sed -E 's/.*Campaign resumed: //')"
wait_until 10 log_has " --- Comp turn --- " || fail "black (the computer) did not start the set"
wait_stable 10 && keep_shot "$LAST_SHOT" 3-resumed-set
kill -KILL "$GAME_PID"
wait_game_exit 5
cp "$LOG" "$ART/resume.log"

# Declined: the file goes.
start_menu || exit 1
xdotool mousemove $DISCARD click 1
wait_until 5 sh -c "! test -e '$STATE'" || fail "a declined campaign's state is kept"
kill -TERM "$GAME_PID"
wait_game_exit 10

cp "$LOG" "$ART/last.log"
e2e_finish
