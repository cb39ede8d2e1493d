#!/usr/bin/env bash
# Two game processes on one X server, side by side, playing one match over the loopback: one
# hosting from its network screen, the other started with --join 127.0.0.1:PORT, every flick
# aimed with real X clicks in the window of the side to move. Screenshots of both windows; the
# delay from a flick's click on one side to its first moving frame on the other (monotonic log
# times, both processes on one machine); then one side is killed and the other must be back on
# its network screen in 5 s.
# Usage: network_e2e.sh GAME_BINARY ARTIFACTS_DIR AIM_POINTS_TOOL   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" network "${3:?aim points tool}"
AIM_TOOL=$(readlink -f "$3")
readonly FLICKS=${KD_E2E_NET_FLICKS:-6} FLICK_TIMEOUT_S=40 BOARD=0
readonly AT_REST="Draughts at rest:" DRAWN="Flick drawn" SENT="Network: flick of draught"
# Both windows side by side on a screen of their own.
start_xvfb 1600x600 -noreset || e2e_finish
layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
MAIN_multi=$(button_point multi kMainButtons) || exit 1
LEVEL_network=$(button_point network kLevelTwoButtons) || exit 1
NET_host=$(button_point host kNetworkButtons) || exit 1

# start_side NAME ARGS...: a profile and a game process; sets <NAME>_PID, <NAME>_LOG.
start_side() {
    local name=$1
    shift
    new_profile "$name"
    mkdir -p "$(dirname "$INI")"
    printf '[Kelvo Dara]\r\nGameMode=0\r\nTurnType=0\r\nCheckType=0\r\nBoardType=%d\r\nFullScreen=0\r\nStarType=2\r\nDepthBits=24\r\n' \
        $BOARD >"$INI"
    SDL_AUDIODRIVER=dummy "$GAME" "$@" >"$ART/game-$name.out" 2>&1 &
    declare -g "${name}_PID=$!" "${name}_LOG=$LOG"
}
has() { [[ -f $1 ]] && grep -qF -- "$2" "$1"; }
count() { if [[ -f $1 ]]; then grep -cF -- "$2" "$1"; else echo 0; fi; }
above() { (($(count "$1" "$2") > $3)); }
# Every flick ends in the next move or the end of the set.
ends() { grep -cE "^(Next move:|Set over:)" "$1"; }
ends_above() { (($(ends "$1") > $2)); }
# The game's X window by process: the host's is the first one named so, the joiner's the other.
WINDOWS=()
window_of() { if [[ $1 == "$host_PID" ]]; then echo "${WINDOWS[0]:-}"; else echo "${WINDOWS[1]:-}"; fi; }
new_window() {
    local w
    for w in $(xdotool search --name "^Kelvo Dara" 2>/dev/null); do
        [[ " ${WINDOWS[*]} " == *" $w "* ]] || { WINDOWS+=("$w"); return 0; }
    done
    return 1
}
# window_shot PID NAME: the window alone, kept as NAME.png.
window_shot() { import -silent -window "$(window_of "$1")" "$ART/$2.png"; }
# place PID X: the window moved to (X, 0) once it is drawn (the game centres it first).
at_x() { [[ $(xdotool getwindowgeometry "$(window_of "$1")" | sed -nE 's/.*Position: ([0-9-]+),.*/\1/p') == "$2" ]]; }
move_to_x() { xdotool windowmove "$(window_of "$1")" "$2" 0 && at_x "$1" "$2"; }
place() {
    wait_until 10 new_window || { fail "no window of $1"; return 1; }
    wait_until 5 move_to_x "$1" "$2" || fail "window of $1 not at x $2"
}

# The host goes the player's way: two players, network, host; the joiner comes by command line.
start_side host
place "$host_PID" 0
wait_until 20 has "$host_LOG" "First frame drawn" || fail "the host shows no menu"
click_in() { xdotool mousemove --sync "$1" "$2" click 1; }
sleep 0.5
click_in $MAIN_multi
sleep 0.5
window_shot "$host_PID" host-level-two
click_in $LEVEL_network
sleep 0.3
click_in $NET_host
wait_until 20 has "$host_LOG" "Network: listening on port" || fail "the host does not listen"
sleep 0.5
window_shot "$host_PID" host-waiting
PORT=$(sed -nE 's/.*Network: listening on port ([0-9]+).*/\1/p' "$host_LOG" | tail -n 1)
start_side join --join "127.0.0.1:$PORT"
place "$join_PID" 800
for side in host join; do
    log=${side}_LOG
    wait_until 10 has "${!log}" "Network: the match starts" || fail "$side: no network match started"
done
has "$join_LOG" "this side plays black" || fail "the joiner does not play black"
sleep 1
window_shot "$host_PID" host-start
window_shot "$join_PID" join-start

# flick N: the side to move (from the host's last turn line) aims and clicks in its window.
LAT=$WORK/latency
flick() {
    local n=$1 side log other_log my_white x0 rest pts a b c d sent drawn odrawn hmoves jmoves
    if [[ $(grep -E "^Next move:" "$host_LOG" | tail -n 1) == *blacks* ]]; then
        side=join my_white=0 x0=800 other_log=$host_LOG
    else
        side=host my_white=1 x0=0 other_log=$join_LOG
    fi
    log=${side}_LOG
    log=${!log}
    rest=$(grep -F "$AT_REST" "$log" | tail -n 1)
    pts=$("$AIM_TOOL" $BOARD $my_white 1 "$rest") || { fail "flick $n: $side has no draught to aim"; return 1; }
    read -r a b c d _ <<<"$pts"
    sent=$(count "$log" "$SENT")
    drawn=$(count "$log" "$DRAWN")
    odrawn=$(count "$other_log" "$DRAWN")
    hmoves=$(ends "$host_LOG") jmoves=$(ends "$join_LOG")
    xdotool mousemove --sync $((x0 + a)) "$b" click 1
    xdotool mousemove --sync $((x0 + c)) "$d"
    sleep 0.3
    ((n == 2)) && window_shot "$host_PID" host-sees-aim && window_shot "$join_PID" join-aiming
    xdotool click 1
    wait_until 5 above "$log" "$SENT" "$sent" || { fail "flick $n by $side was not sent"; return 1; }
    wait_until 5 above "$log" "$DRAWN" "$drawn" || fail "flick $n: not drawn by $side"
    wait_until 5 above "$other_log" "$DRAWN" "$odrawn" || fail "flick $n: not drawn on the other side"
    xdotool mousemove 790 20
    ((n == 3)) && sleep 0.3 && window_shot "$host_PID" host-flick && window_shot "$join_PID" join-flick
    # click monotonic, own first frame, other's first frame
    echo "$(grep -F "$SENT" "$log" | tail -n 1 | sed -E 's/.*monotonic ([0-9.]+) ms.*/\1/')" \
        "$(grep -F "$DRAWN" "$log" | tail -n 1 | sed -E 's/.*monotonic ([0-9.]+) ms.*/\1/')" \
        "$(grep -F "$DRAWN" "$other_log" | tail -n 1 | sed -E 's/.*monotonic ([0-9.]+) ms.*/\1/')" >>"$LAT"
    # Both sides at rest and agreed.
    wait_until $FLICK_TIMEOUT_S ends_above "$host_LOG" "$hmoves" || fail "flick $n: the host never rested"
    wait_until $FLICK_TIMEOUT_S ends_above "$join_LOG" "$jmoves" || fail "flick $n: the joiner never rested"
    sleep 0.5
}
for ((n = 1; n <= FLICKS; n++)); do
    has "$host_LOG" "Set over:" && break
    flick $n || break
done
check "hashes agreed (no mismatch logged)" 0 "$(cat "$host_LOG" "$join_LOG" | grep -c "positions differ")"
check "same draughts at rest on both sides" "$(grep -F "$AT_REST" "$host_LOG" | tail -n 1)" \
    "$(grep -F "$AT_REST" "$join_LOG" | tail -n 1)"
window_shot "$host_PID" host-end
window_shot "$join_PID" join-end
import -silent -window root "$ART/both.png"

# median and p99 of one column of the latency table (click, own frame, other's frame)
stats() {
    awk "{ print $1 }" "$WORK/lat" | sort -n | awk '{ a[NR] = $1 } END {
        i = int(NR * 0.99); if (i < NR * 0.99) i++; if (i < 1) i = 1
        printf "median %.1f ms, p99 %.1f ms over %d flicks", a[int((NR + 1) / 2)], a[i], NR }'
}
if [[ -s $LAT ]]; then
    cp "$LAT" "$WORK/lat"
    note "click to the first moving frame on the other side: $(stats '$3 - $1')"
    note "the sender's own click to first frame: $(stats '$2 - $1')"
    note "the other side beyond the sender's own: $(stats '$3 - $2')"
    cp "$LAT" "$ART/latency.txt"
fi

# The joiner dies without a word: the host is back on its network screen within 5 s.
t0=$(date +%s%N)
kill -KILL "$join_PID"
wait_until 6 has "$host_LOG" "Network: the game ends" || fail "the host did not notice the joiner's end"
check "the host noticed within 5 s" 1 $((($(date +%s%N) - t0) < 5000000000))
sleep 0.5
window_shot "$host_PID" host-peer-gone
kill "$host_PID" 2>/dev/null
wait_until 5 kill -0 "$host_PID" && kill -KILL "$host_PID" 2>/dev/null
cp "$host_LOG" "$ART/host.log"; cp "$join_LOG" "$ART/join.log"
e2e_finish
