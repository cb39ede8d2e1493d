#!/usr/bin/env bash
# The real game under Xvfb with real X input: a match as black left half a second after its
# start (ESC, 'leave game') and a new one started about half a second later. Its computer delay
# must never act in the new match: started again as black, the computer starts once, about two
# seconds after the new start; as white (the side changed on the setup screen on the way) it
# waits for the player's flick.
# Usage: left_match_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" left_match
readonly COMP_TURN=" --- Comp turn --- " WATCH_S=4
layout_init "$SRC_DIR" "$RES_PACK" "$WORK" && layout_selectors || exit 1
SINGLE=$(button_point single kMainButtons) && SETUP=$(button_point setup kMainButtons) &&
    BEGINNER=$(button_point beginer kLevelButtons) && LEAVE=$(button_point leavegm kPauseButtons) &&
    SIDE=$(selector_point LIST_SIDE) || exit 1

ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }
# begin_match: 'single', then 'beginner'; T0 is the time of the level click.
begin_match() {
    xdotool mousemove $SINGLE click 1 sleep 0.15 mousemove $BEGINNER click 1
    T0=$(date +%s%N)
}

for side in black white; do
    new_profile $side
    mkdir -p "$(dirname "$INI")"
    printf '[Kelvo Dara]\r\nMyWhite=0\r\nFullScreen=0\r\nStarType=2\r\n' >"$INI"
    start_game && wait_stable || continue
    begin_match
    T1=$T0
    sleep 0.5
    xdotool key Escape sleep 0.05 mousemove $LEAVE click 1
    left=$(ms_since $T1)
    if [[ $side == white ]]; then  # the way over the setup screen takes the half second
        xdotool mousemove $SETUP click 1 sleep 0.1 mousemove $SIDE click 1 key space sleep 0.1
    else
        sleep 0.5
    fi
    begin_match
    turns=""
    for ((seen = 0; $(ms_since $T0) < WATCH_S * 1000; )); do
        (($(log_count "$COMP_TURN") > seen)) && seen=$((seen + 1)) turns+="$(ms_since $T0) "
        sleep 0.02
    done
    note "$side: left after $left ms, started again $(((T0 - T1) / 1000000)) ms after the first start;" \
        "computer turns at [ ${turns}] ms after the new start"
    white=$([[ $side == white ]] && echo 1 || echo 0)
    check "$side: the matches' sides (player white)" "0 $white" \
        "$(grep -F "Match started" "$LOG" | sed -E 's/.*player white //' | xargs)"
    read -ra at <<<"$turns"
    check "$side: computer turns in $WATCH_S s, the first after 1.5 s or more" "$((1 - white)) $((1 - white))" \
        "${#at[@]} $((${at[0]:-0} >= 1500))"
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit 10
    cp "$LOG" "$ART/$side.log"
done
e2e_finish
