#!/usr/bin/env bash
# Two game processes on one X server, side by side, playing one match over the loopback: one
# started with --host, the other with --join 127.0.0.1:PORT, every flick aimed
# with real X clicks in the window of the side to move. Both sides must agree on every position;
# the delay from a flick's click to its first moving frame on the other side is reported. Then
# the joiner is killed and the host must notice within 5 s.
# Usage: network_e2e.sh GAME_BINARY ARTIFACTS_DIR AIM_POINTS_TOOL   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" network "${3:?aim points tool}"
AIM_TOOL=$(readlink -f "$3")
readonly FLICKS=${KD_E2E_NET_FLICKS:-4} AT_REST="Draughts at rest:" DRAWN="Flick drawn" SENT="Network: flick of draught"
start_xvfb 1600x600 -noreset || e2e_finish

# start_side NAME X ARGS...: a profile, a game process and its window moved to (X, 0); sets
# <NAME>_PID, <NAME>_LOG and <NAME>_WIN.
start_side() {
    local name=$1
    new_profile "$name" GameMode=0 TurnType=0 CheckType=0 BoardType=0 FullScreen=0 StarType=2
    SDL_AUDIODRIVER=dummy "$GAME" "${@:3}" >"$ART/game-$name.out" 2>&1 &
    declare -g "${name}_PID=$!" "${name}_LOG=$LOG"
    wait_until 20 log_has "First frame drawn" || fail "$name shows no first frame"
    wait_until 10 new_window || fail "no window of $name"
    declare -g "${name}_WIN=$WIN"
    wait_until 5 moved "$WIN" "$2" || fail "the window of $name is not at x $2"
}
# The game centres its window first: moved until it stays.
moved() { xdotool windowmove --sync "$1" "$2" 0 && [[ $(xdotool getwindowgeometry "$1") == *"Position: $2,0 "* ]]; }
new_window() { for WIN in $(xdotool search --name "^Kelvo Dara" 2>/dev/null); do [[ $WIN == "${host_WIN:-}" ]] || return 0; done; false; }
count() { grep -cE -- "$2" "$1"; }
above() { (($(count "$1" "$2") > $3)); }
readonly ENDS="^(Next move:|Set over:)"
monotonic() { grep -F "$2" "$1" | tail -n 1 | sed -E 's/.*monotonic ([0-9.]+) ms.*/\1/'; }

start_side host 0 --host
log_has "Network: listening on port" || fail "the host does not listen"
port=$(grep -F "Network: listening on port" "$host_LOG" | tail -n 1 | sed -E 's/.*port ([0-9]+).*/\1/')
start_side join 800 --join "127.0.0.1:$port"
wait_until 10 grep -qF "Network: the match starts" "$host_LOG" && wait_until 10 grep -qF "this side plays black" "$join_LOG" ||
    fail "no network match started with the joiner playing black"
sleep 1

# flick N: the side to move (from the host's last turn line) aims and clicks in its window.
for ((n = 1; n <= FLICKS; n++)); do
    grep -qF "Set over:" "$host_LOG" && break
    if [[ $(grep -E "^Next move:" "$host_LOG" | tail -n 1) == *blacks* ]]; then
        log=$join_LOG other=$host_LOG white=0 x0=800
    else
        log=$host_LOG other=$join_LOG white=1 x0=0
    fi
    read -r a b c d _ <<<"$("$AIM_TOOL" 0 $white 1 "$(grep -F "$AT_REST" "$log" | tail -n 1)")"
    sent=$(count "$log" "$SENT") drawn=$(count "$log" "$DRAWN") odrawn=$(count "$other" "$DRAWN") hends=$(count "$host_LOG" "$ENDS") jends=$(count "$join_LOG" "$ENDS")
    xdotool mousemove --sync $((x0 + a)) "$b" click 1 mousemove --sync $((x0 + c)) "$d" sleep 0.3
    ((n == 2)) && import -silent -window root "$ART/both-aiming.png"
    xdotool click 1
    wait_until 5 above "$log" "$SENT" "$sent" || { fail "flick $n was not sent"; break; }
    wait_until 5 above "$other" "$DRAWN" "$odrawn" && wait_until 5 above "$log" "$DRAWN" "$drawn" ||
        fail "flick $n: not drawn on both sides"
    xdotool mousemove 790 20
    # From the flick going out: to the other side's first moving frame, and that beyond our own.
    a=$(monotonic "$log" "$SENT") b=$(monotonic "$other" "$DRAWN") c=$(monotonic "$log" "$DRAWN")
    awk -v a="$a" -v b="$b" 'BEGIN { print b - a }' >>"$WORK/lat"
    awk -v b="$b" -v c="$c" 'BEGIN { print b - c }' >>"$WORK/beyond"
    wait_until 40 above "$host_LOG" "$ENDS" "$hends" && wait_until 40 above "$join_LOG" "$ENDS" "$jends" ||
        fail "flick $n: a side never rested"
    sleep 0.5
done
check "hashes agreed (no mismatch logged)" 0 "$(cat "$host_LOG" "$join_LOG" | grep -c "positions differ")"
rest=$(grep -F "$AT_REST" "$host_LOG" | tail -n 1)
check "same draughts at rest on both sides" "${rest:-none on the host}" "$(grep -F "$AT_REST" "$join_LOG" | tail -n 1)"
import -silent -window root "$ART/both.png"
spread() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "median %s ms, p99 %s ms", v[int((NR + 1) / 2)], v[int(NR * 0.99 + 0.999)] }'; }
[[ -s $WORK/lat ]] && note "flick sent to the first moving frame on the other side over $(wc -l <"$WORK/lat") flicks:" \
    "$(spread "$WORK/lat"); beyond the sender's own first moving frame: $(spread "$WORK/beyond")" | tee "$ART/latency.txt"

# The joiner dies without a word: the host is back on its network screen within 5 s.
kill -KILL "$join_PID"
LOG=$host_LOG
wait_until 5 log_has "Network: the game ends" && pass "the host noticed the joiner's end within 5 s" ||
    fail "the host did not notice the joiner's end"
GAME_PID=$host_PID PROFILE=$WORK/host && stop_game
e2e_finish
