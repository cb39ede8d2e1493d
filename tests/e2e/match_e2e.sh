#!/usr/bin/env bash
# Whole matches of the real game under Xvfb, played with real X clicks and keys: a quick game
# at each level on its own board, material and turn rule, each flick aimed with two clicks
# computed from the camera and the draughts at rest; the camera turned by keys and buttons,
# TAB, pause and continue; games played to their result screens. The first flick is a strong
# pull with the finger over the floor beyond the board's rim. Screenshots of aiming,
# flicks in motion and result screens are kept, and the click-to-screen delay of every flick.
# Usage: match_e2e.sh GAME_BINARY ARTIFACTS_DIR AIM_POINTS_TOOL   (exit 77: no xvfb-run/xdotool)
# KD_E2E_LONG=1 also plays a whole campaign to its end.
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" match "${3:?aim points tool}"
AIM_TOOL=$(readlink -f "$3")
[[ -x $AIM_TOOL ]] || { echo "FAIL: no aim tool at $AIM_TOOL"; exit 1; }

readonly PLAYER_TURN=" --- Player turn --- " COMP_TURN=" --- Comp turn --- "
readonly AT_REST="Draughts at rest:" SET_OVER="Set over:" DRAWN="Flick drawn" NEXT_MOVE="Next move:"
readonly MAX_PLAYER_FLICKS=40
LATENCIES=$WORK/latencies
# A sanitized game runs several times slower: its timings and memory are reported, not judged.
SANITIZED=0
ldd "$GAME" | grep -qE "lib(a|t)san" && SANITIZED=1
readonly TAKE_TIMEOUT_S=$((SANITIZED ? 20 : 5))
# The longest flick plays about 11 s; the computer adds 2 s at most.
readonly FLICK_TIMEOUT_S=$((SANITIZED ? 120 : 40))

layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
MAIN_single=$(button_point single kMainButtons) || exit 1
for b in beginer proffi expert; do
    p=$(button_point $b kLevelButtons) || exit 1
    declare "LEVEL_$b=$p"
done
GAME_rot_left=$(button_point rot_left kGameButtons) || exit 1
GAME_plus=$(button_point plus kGameButtons) || exit 1
GAME_focus=$(button_point focus kGameButtons) || exit 1
PAUSE_cont=$(button_point cont kPauseButtons) || exit 1
PAUSE_leavegm=$(button_point leavegm kPauseButtons) || exit 1

# write_settings BOARD MATERIAL TURN_RULE GAME_MODE MY_WHITE
write_settings() {
    mkdir -p "$(dirname "$INI")"
    printf '[Kelvo Dara]\r\nGameMode=%d\r\nTurnType=%d\r\nCheckType=%d\r\nBoardType=%d\r\nMyWhite=%d\r\nFullScreen=0\r\nStarType=2\r\nDepthBits=24\r\n' \
        "$4" "$3" "$2" "$1" "$5" >"$INI"
}

# The game's resident memory, sampled during the matches: all of it (VmRSS, which counts the
# shared libraries' code, Mesa's LLVM among it) and the game's own (RssAnon: its heap, stacks and
# the driver's copies of its textures). The largest samples are reported; KD_E2E_SMAPS=1 also
# keeps /proc/PID/smaps of every sample, to see which mappings the pages belong to.
RSS_MAX_KB=0 ANON_MAX_KB=0 RSS_SAMPLES=0
sample_rss() {
    local kb anon
    read -r kb anon < <(awk '/^VmRSS:/ { r = $2 } /^RssAnon:/ { a = $2 } END { print r, a }' \
        "/proc/$GAME_PID/status" 2>/dev/null)
    [[ -n $kb ]] && ((kb > RSS_MAX_KB)) && RSS_MAX_KB=$kb
    [[ -n $anon ]] && ((anon > ANON_MAX_KB)) && ANON_MAX_KB=$anon
    RSS_SAMPLES=$((RSS_SAMPLES + 1))
    [[ ${KD_E2E_SMAPS:-0} == 1 ]] && cp "/proc/$GAME_PID/smaps" "$ART/smaps-$RUN-$RSS_SAMPLES" 2>/dev/null
    return 0
}

# log_lines_after N -> the log from line N+1 on
log_lines_after() { tail -n +"$(($1 + 1))" "$LOG"; }
log_line_count() { wc -l <"$LOG"; }
last_rest_line() { grep -F "$AT_REST" "$LOG" | tail -n 1; }
count_is_above() { (($(log_count "$1") > $2)); }

# start_match LEVEL: main menu -> "single" -> the level; waits for the game screen.
start_match() {
    local level_point=LEVEL_$1
    wait_stable
    local menu=$LAST_SHOT
    click_at $MAIN_single
    wait_screen_changes "$menu" "$RUN: 'single' opens the level screen"
    wait_stable
    click_at ${!level_point}
    wait_until 5 log_has "Match started" || fail "$RUN: no match started"
    park_pointer
    wait_stable 10
}

# The pointer rests in the sky above the board, off every button.
park_pointer() { move_to 400 40; }

# aim [beyond-rim] -> sets AIM_1, AIM_2 ("x y") and AIM_OWN from the last draughts at rest, or
# from the start layout with the finger beyond the rim.
aim() {
    local pts rest
    rest=${1:-$(last_rest_line)}
    pts=$("$AIM_TOOL" "$BOARD" "$MY_WHITE" 1 ${rest:+"$rest"}) || { fail "$RUN: no own draught to aim from"; return 1; }
    read -r a b c d AIM_OWN AIM_TARGET <<<"$pts"
    AIM_1="$a $b" AIM_2="$c $d"
}

# player_flick N [beyond-rim]: two clicks; the first frame with the draught moving is timed from
# the second.
player_flick() {
    local n=$1 turns t0 drawn wall
    aim ${2:-} || return 1
    turns=$(log_count "$PLAYER_TURN")
    drawn=$(log_count "$DRAWN")
    click_at $AIM_1
    move_to $AIM_2
    if ((n == 1)); then
        wait_stable
        keep_shot "$LAST_SHOT" "$RUN-aiming"
    fi
    t0=$(date +%s%N)
    xdotool click 1
    if ! wait_until $TAKE_TIMEOUT_S count_is_above "$PLAYER_TURN" "$turns"; then
        fail "$RUN: flick $n (draught $AIM_OWN at $AIM_1, finger at $AIM_2) was not taken"
        return 1
    fi
    if wait_until $TAKE_TIMEOUT_S count_is_above "$DRAWN" "$drawn"; then
        wall=$(grep -F "$DRAWN" "$LOG" | tail -n 1 | sed -E 's/.*wall clock ([0-9.]+) s.*/\1/')
        awk -v w="$wall" -v t="$t0" 'BEGIN { printf "%.1f\n", (w * 1e9 - t) / 1e6 }' >>"$LATENCIES"
    else
        fail "$RUN: flick $n never showed on screen"
    fi
    park_pointer
    sample_rss
    if ((n <= 2)); then
        sleep 0.3
        keep_shot "$(shot)" "$RUN-flick$n-a"
        sleep 0.5
        keep_shot "$(shot)" "$RUN-flick$n-b"
    fi
}

# wait_turn_end ENDS_COUNT -> 0 the player's move, 1 the set is over, 2 stuck. ENDS_COUNT is
# the number of flick ends (a "Next move:" or "Set over:" line each) seen before.
flick_ends() { grep -cE "^($NEXT_MOVE|$SET_OVER)" "$LOG"; }
flick_ends_above() { (($(flick_ends) > $1)); }
wait_turn_end() {
    local ends=$1 last
    while :; do
        if ! wait_until $FLICK_TIMEOUT_S flick_ends_above "$ends"; then
            fail "$RUN: no flick ended within $FLICK_TIMEOUT_S s"
            return 2
        fi
        ends=$(flick_ends)
        last=$(grep -E "^($NEXT_MOVE|$SET_OVER)" "$LOG" | tail -n 1)
        case $last in
            "$SET_OVER"*) return 1 ;;
            "$NEXT_MOVE player") return 0 ;;
        esac
    done
}

# play_set -> plays the player's flicks until the set ends; 0 when it did.
play_set() {
    local n=0 rests
    while ((n < MAX_PLAYER_FLICKS)); do
        n=$((n + 1))
        rests=$(flick_ends)
        player_flick $n || return 1
        wait_turn_end "$rests"
        case $? in
            0) ;;
            1) pass "$RUN: the set ended after $n flicks of the player"; return 0 ;;
            *) return 1 ;;
        esac
    done
    fail "$RUN: the set did not end within $MAX_PLAYER_FLICKS flicks of the player"
    return 1
}

# play_campaign_on: "next" after every set until the campaign is decided. The side that
# starts a set may be the computer, which then flicks at once.
play_campaign_on() {
    local next set mark rests rc
    next=$(button_point nextl kSetOverButtons) || return 1
    for set in $(seq 2 16); do
        log_has "Campaign over" && { result_screen campaign-over; return 0; }
        mark=$(log_line_count)
        rests=$(flick_ends)
        click_at $next
        park_pointer
        sleep 0.6
        rc=0
        if log_lines_after "$mark" | grep -qF "$COMP_TURN"; then
            wait_turn_end "$rests"
            rc=$?
        fi
        ((rc == 2)) && return 1
        if ((rc == 0)); then play_set || return 1; fi
        log_has "Campaign over" || result_screen set$set-over
    done
    fail "$RUN: the campaign was not decided in 16 sets"
    return 1
}

# check_turn_order: the player's first flick is logged before the computer's first turn.
check_turn_order() {
    local p c
    p=$(grep -nF "$PLAYER_TURN" "$LOG" | head -n 1 | cut -d: -f1)
    c=$(grep -nF "$COMP_TURN" "$LOG" | head -n 1 | cut -d: -f1)
    if [[ -n $p && -n $c ]] && ((p < c)); then pass "$RUN: the log shows the player's turn, then the computer's"
    else fail "$RUN: turn lines out of order (player line ${p:-none}, computer line ${c:-none})"; fi
}

# result_screen NAME: the result screen is shown and kept.
result_screen() {
    wait_stable 10 && keep_shot "$LAST_SHOT" "$RUN-$1"
    grep -F "$SET_OVER" "$LOG" | tail -n 1 | sed 's/^/    log: /'
    grep -F "Frame times" "$LOG" | sed 's/^/    log: /'
}

# ---- run 1: beginner, square board, bone, BY TURN; camera by keys and buttons; pause ----
RUN=beginner BOARD=0 MY_WHITE=1
new_profile $RUN
write_settings $BOARD 0 0 0 $MY_WHITE
if start_game; then
    start_match beginer
    keep_shot "$LAST_SHOT" "$RUN-start"
    rests=$(flick_ends)
    player_flick 1 beyond-rim
    wait_turn_end "$rests"
    check "$RUN: after the computer's answer the move is back with the player" 0 $?
    check_turn_order
    wait_stable 10
    before=$LAST_SHOT
    # Held left key, a SHIFT turn, up, down and the keypad zoom keys.
    xdotool keydown Left; sleep 0.3; xdotool keyup Left
    wait_screen_changes "$before" "$RUN: the held left key turns the camera"
    wait_stable
    before=$LAST_SHOT
    press_keys shift+Right
    wait_screen_changes "$before" "$RUN: SHIFT+right turns the camera"
    for k in Up Down KP_Add KP_Subtract; do
        wait_stable
        before=$LAST_SHOT
        xdotool keydown $k; sleep 0.25; xdotool keyup $k
        wait_screen_changes "$before" "$RUN: the held $k key moves the camera"
    done
    # The on-screen buttons: held with the mouse, then TAB by the focus button.
    for b in rot_left plus; do
        wait_stable
        before=$LAST_SHOT
        p=GAME_$b
        move_to ${!p}
        xdotool mousedown 1; sleep 0.3; xdotool mouseup 1
        park_pointer
        wait_screen_changes "$before" "$RUN: the held '$b' button moves the camera"
    done
    wait_stable
    before=$LAST_SHOT
    press_keys Tab
    wait_screen_changes "$before" "$RUN: TAB swings the view to an own draught"
    wait_stable && keep_shot "$LAST_SHOT" "$RUN-focus"
    before=$LAST_SHOT
    click_at $GAME_focus
    park_pointer
    wait_screen_changes "$before" "$RUN: the focus button swings the view on"
    # Pause with ESC, continue, pause again and leave.
    wait_stable
    game=$LAST_SHOT
    press_keys Escape
    wait_screen_changes "$game" "$RUN: ESC shows the pause screen"
    wait_stable && keep_shot "$LAST_SHOT" "$RUN-pause"
    click_at $PAUSE_cont
    park_pointer
    wait_screen_is "$game" "$RUN: 'continue' brings the game back as it was"
    press_keys Escape
    wait_stable
    click_at $PAUSE_leavegm
    wait_stable
    keep_shot "$LAST_SHOT" "$RUN-left"
    game_running && pass "$RUN: the game runs on after leaving the match" || fail "$RUN: the game ended"
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit 10
    cp "$LOG" "$ART/$RUN.log"
fi

# ---- run 2: pro, round board, wood, TO A MISS, the player black; played to its end ----
RUN=pro BOARD=1 MY_WHITE=0
new_profile $RUN
write_settings $BOARD 1 1 0 $MY_WHITE
if start_game; then
    start_match proffi
    # Clicks while the computer waits and chooses are dropped: the start layout's aim points
    # would flick at once if they were not.
    aim && { click_at $AIM_1; click_at $AIM_2; park_pointer; }
    rests=$(flick_ends)
    # The two seconds before the computer's first turn are timed in left_match_e2e.sh.
    wait_until 6 log_has "$COMP_TURN" || fail "$RUN: the computer did not start"
    wait_turn_end "$rests"
    rc=$?
    ((rc == 0 || rc == 1)) && pass "$RUN: the computer's first flick played to its end"
    if log_has "$PLAYER_TURN"; then
        fail "$RUN: a click during the computer's turn released a flick"
    else
        pass "$RUN: the clicks during the computer's turn were dropped"
    fi
    if ((rc == 0)) && play_set; then result_screen result; fi
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit 10
    cp "$LOG" "$ART/$RUN.log"
fi

# ---- run 3: expert, twelve-sided board, stone, BY TURN campaign; the first set to its end ----
RUN=expert BOARD=2 MY_WHITE=1
new_profile $RUN
write_settings $BOARD 2 0 1 $MY_WHITE
if start_game; then
    start_match expert
    if play_set; then
        result_screen set-over
        [[ ${KD_E2E_LONG:-0} == 1 ]] && play_campaign_on
    fi
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit 10
    cp "$LOG" "$ART/$RUN.log"
fi

# ---- resident memory in a match ----
readonly MEMORY_LIMIT_KB=$((120 * 1024))
echo "largest resident memory in a match: $((RSS_MAX_KB / 1024)) MB in all, $((ANON_MAX_KB / 1024)) MB the game's own" |
    tee "$ART/memory.txt"
if ((RSS_MAX_KB == 0)); then fail "no memory sample was taken"
elif ((SANITIZED)); then note "sanitized build: its shadow memory is not the game's; no limit checked"
elif ((ANON_MAX_KB <= MEMORY_LIMIT_KB)); then pass "the game's own resident memory $((ANON_MAX_KB / 1024)) MB is at most 120 MB"
else fail "the game's own resident memory $((ANON_MAX_KB / 1024)) MB is above 120 MB"; fi

# ---- the click-to-screen delay over every flick of the player ----
if [[ -s $LATENCIES ]]; then
    sort -n "$LATENCIES" | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "click-to-screen over %d flicks: median %.1f ms, min %.1f ms, max %.1f ms\n", NR, m, v[1], v[NR] }' |
        tee "$ART/latency.txt"
    median=$(sed -E 's/.*median ([0-9.]+) ms.*/\1/' "$ART/latency.txt")
    if ((SANITIZED)); then note "sanitized build: the delay is not judged"
    elif awk -v m="$median" 'BEGIN { exit !(m <= 50) }'; then pass "click-to-screen median $median ms is at most 50 ms"
    else fail "click-to-screen median $median ms is above 50 ms"; fi
else
    fail "no flick of the player was timed"
fi
e2e_finish
