#!/usr/bin/env bash
# Watching kept matches and the instant replay under Xvfb. A record is watched with
# `--replay`: its flicks play in real time, P pauses, N steps, Q quits; a record with a forged
# hash or a damaged line is refused before any window, naming its line. Then a quick game where
# the computer flicks first: R replays its flick and the screen comes back to the same
# position. Screenshots of both replays are kept.
# Usage: replay_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" replay

RECORD=$WORK/replay.kdr
cp "$SRC_DIR/tests/fuzz/seeds/replay/valid.kdr" "$RECORD"
FLICKS=$(grep -c '^flick' "$RECORD")
layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
MAIN_single=$(button_point single kMainButtons) || exit 1
LEVEL_beginer=$(button_point beginer kLevelButtons) || exit 1

# watch FILE: the game watching FILE in the current profile; waits for its first frame.
watch() {
    SDL_AUDIODRIVER=dummy "$GAME" --replay "$1" >"$ART/watch-$(basename "$PROFILE").out" 2>&1 &
    GAME_PID=$!
    wait_until 20 log_has "First frame drawn (screen 1)" || fail "the replay showed no game screen"
}
flicks_started() { log_count "Replay flick"; }

# ---- a damaged or foreign record: refused before any window, with the file and line ----
new_profile refused
bad=$WORK/bad.kdr
for row in "s/hash=0xe045167ae31ea3d1/hash=0xe045167ae31ea3d0/|bad.kdr:12: the flick ends at position" \
    "s/draught=19/draught=25/|bad.kdr:13: draught 25 is not 0..19" \
    "s/^program=0.1.0/program=0.0.9/|bad.kdr:2: recorded by version 0.0.9"; do
    sed -e "${row%%|*}" "$RECORD" >"$bad"
    out=$(SDL_VIDEODRIVER=dummy timeout 20 "$GAME" --replay "$bad" 2>&1)
    rc=$?
    check "exit code of a refused record (${row##*|})" 1 "$rc"
    [[ $out == *"${row##*|}"* ]] && pass "the message names the line: ${row##*|}" || fail "message: $out"
done

# ---- watching: real-time flicks, pause, step, quit ----
new_profile watch
watch "$RECORD"
wait_until 15 log_has "Replay flick 1 " || fail "the first flick did not start"
sleep 0.7
keep_shot "$(shot)" replay-flick-1
press_keys p
wait_stable 4
paused=$LAST_SHOT
sleep 0.5
wait_screen_is "$paused" "a paused replay holds still"
keep_shot "$paused" replay-paused
n=$(flicks_started)
press_keys n n n
wait_until 5 test "$(flicks_started)" -gt "$n" || fail "N did not step to the next flick"
sleep 0.4
keep_shot "$(shot)" replay-stepped
# Step through the rest: every flick is checked against its hash until the end.
for ((i = 0; i < 2 * FLICKS; i++)); do log_has "Replay over" && break; press_keys n; sleep 0.15; done
wait_until 10 log_has "Replay over: $FLICKS flicks as recorded" || fail "the replay did not end with every flick matched"
wait_stable 6
keep_shot "$LAST_SHOT" replay-end
press_keys q
wait_game_exit 10
check "exit code after Q" 0 "$GAME_RC"
[[ -f $INI ]] && fail "watching wrote a settings file" || pass "watching leaves the settings file alone"

# ---- the instant replay: the computer (white) flicks first, R shows its flick again ----
new_profile instant
mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\r\nGameMode=0\r\nTurnType=0\r\nCheckType=1\r\nBoardType=1\r\nMyWhite=0\r\nFullScreen=0\r\nStarType=2\r\nDepthBits=24\r\n' >"$INI"
start_game || exit 1
wait_stable
click_at $MAIN_single
wait_until 5 stable_now
click_at $LEVEL_beginer
move_to 400 40
wait_until 40 log_has "Next move: player" || fail "the computer's flick did not end"
wait_stable 10
present=$LAST_SHOT
keep_shot "$present" instant-before
press_keys r
wait_until 5 log_has "Instant replay of draught" || fail "R started no replay"
# Early in the replayed flick: the position before it, not the present one.
wait_screen_changes "$present" "R shows another position than the present one" 3
sleep 0.12
keep_shot "$(shot)" instant-replay
press_keys Escape
wait_until 40 log_has "Instant replay over" || fail "the instant replay did not end"
# The ESC pressed meanwhile was ignored: no pause screen, the very picture before R.
wait_screen_is "$present" "the present position is back after the instant replay" 10
kill -TERM "$GAME_PID" 2>/dev/null
wait_game_exit 10

# ---- the match just played was kept as it went, and watching it replays every flick ----
own=$(ls -t "$XDG_DATA_HOME"/kelvodara/replays/match-*.kdr 2>/dev/null | head -n 1)
[[ -n $own ]] || fail "the match was not kept in the replays folder"
if [[ -n $own ]]; then
    n=$(grep -c '^flick' "$own")
    ((n >= 1)) && pass "the kept match holds its $n flick(s)" || fail "the kept match holds no flick"
    new_profile own
    watch "$own"
    for ((i = 0; i < 2 * n + 4; i++)); do log_has "Replay over" && break; press_keys n; sleep 0.3; done
    wait_until 20 log_has "Replay over: $n flicks as recorded" || fail "the kept match did not replay as recorded"
    press_keys q
    wait_game_exit 10
    check "exit code after watching the kept match" 0 "$GAME_RC"
fi

e2e_finish
