#!/usr/bin/env bash
# Kept matches and the instant replay in the real game under Xvfb. A record with a forged hash
# is refused before any window, naming its line; a good one is watched with `--replay`: P
# pauses, N steps, every flick matches its hash, Q quits. Then a quick game where the computer
# flicks first: R replays its flick and the screen comes back to the same position. Screenshots
# of both replays are kept.
# Usage: replay_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" replay
RECORD=$SRC_DIR/tests/fuzz/seeds/replay/valid.kdr
FLICKS=$(grep -c '^flick' "$RECORD")

new_profile refused
sed -e 's/hash=0xe045167ae31ea3d1/hash=0xe045167ae31ea3d0/' "$RECORD" >"$WORK/bad.kdr"
out=$(SDL_VIDEODRIVER=dummy timeout 20 "$GAME" --replay "$WORK/bad.kdr" 2>&1)
check "exit code of a forged record" 1 $?
[[ $out == *"bad.kdr:12: the flick ends at position"* ]] && pass "the refusal names the line" || fail "refusal: $out"

new_profile watch
start_game --replay "$RECORD"
wait_until 15 log_has "Replay flick 1 " || fail "the first flick did not start"
sleep 0.7 && keep_shot "$(shot)" replay-flick-1
press_keys p && wait_stable 4 && sleep 0.5
wait_screen_is "$LAST_SHOT" "a paused replay holds still"
for ((i = 0; i < 2 * FLICKS; i++)); do log_has "Replay over" && break; press_keys n; sleep 0.15; done
wait_until 10 log_has "Replay over: $FLICKS flicks as recorded" || fail "the replay did not end with every flick matched"
press_keys q
wait_game_exit 10
check "exit code after Q" 0 "$GAME_RC"
[[ -f $INI ]] && fail "watching wrote a settings file"

# The computer (white) flicks first; R shows its flick again, and ESC meanwhile is ignored.
new_profile instant GameMode=0 TurnType=0 CheckType=1 BoardType=1 MyWhite=0 FullScreen=0 StarType=2
start_game || e2e_finish
click_changes $MAIN_single "'single' opens the level screen" && click_at $LEVEL_beginer && move_to $SKY
wait_until 40 log_has "Next move: player" || fail "the computer's flick did not end"
wait_stable 10 && PRESENT=$LAST_SHOT
press_keys r
wait_screen_changes "$PRESENT" "R shows another position than the present one" 3
sleep 0.12 && keep_shot "$(shot)" instant-replay
press_keys Escape
wait_until 40 log_has "Instant replay over" || fail "the instant replay did not end"
wait_screen_is "$PRESENT" "the present position is back after the instant replay" 10
stop_game
e2e_finish
