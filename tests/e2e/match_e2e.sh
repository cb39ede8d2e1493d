#!/usr/bin/env bash
# Matches of the real game under Xvfb with real X clicks and keys, each flick aimed with two
# clicks computed from the camera and the draughts at rest. Beginner, square board: a strong
# first flick with the finger beyond the rim, the camera by a held key and TAB, pause and
# continue, leaving the match. Pro, round board, TO A MISS as black: clicks during the computer's
# turn are dropped and the set is played to its result screen. Expert, twelve-sided board: four
# flicks. Screenshots of aiming, flicks in motion and results; the game's resident memory and the
# click-to-screen delay of every flick.
# Usage: match_e2e.sh GAME_BINARY ARTIFACTS_DIR AIM_POINTS_TOOL   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" match "${3:?aim points tool}"
AIM_TOOL=$(readlink -f "$3")
readonly PLAYER_TURN=" --- Player turn --- " COMP_TURN=" --- Comp turn --- " DRAWN="Flick drawn"
readonly MAX_PLAYER_FLICKS=40 LATENCIES=$WORK/latencies
# A sanitized game runs several times slower: its timings and memory are reported, not judged.
ldd "$GAME" | grep -qE "lib(a|t)san" && SANITIZED=1 || SANITIZED=0
readonly TAKE_S=$((SANITIZED ? 20 : 5)) FLICK_S=$((SANITIZED ? 120 : 40))  # the longest flick plays 11 s
RSS_MAX_KB=0

# start_match LEVEL BOARD MATERIAL TURN_RULE MY_WHITE: a profile with those settings, the game,
# and 'single' then the level clicked.
start_match() {
    RUN=$1 BOARD=$2 MY_WHITE=$5
    new_profile "$RUN" GameMode=0 TurnType=$4 CheckType=$3 BoardType=$2 MyWhite=$5 FullScreen=0 StarType=2
    start_game || return 1
    click_changes $MAIN_single "$RUN: 'single' opens the level screen" && eval click_at \$LEVEL_$1
    wait_until 5 log_has "Match started" || { fail "$RUN: no match started"; return 1; }
    move_to $SKY
    wait_stable 10
}

# player_flick N [beyond-rim]: two clicks; the first moving frame is timed from the second.
player_flick() {
    local turns t0 wall rest=${2:-$(grep -F "Draughts at rest:" "$LOG" | tail -n 1)}
    read -r a b c d _ < <("$AIM_TOOL" $BOARD $MY_WHITE 1 ${rest:+"$rest"})
    [[ -n ${d:-} ]] || { fail "$RUN: no own draught to aim from"; return 1; }
    turns=$(log_count "$PLAYER_TURN") drawn=$(log_count "$DRAWN")
    click_at $a $b && move_to $c $d
    (($1 == 1)) && wait_stable && keep_shot "$LAST_SHOT" "$RUN-aiming"
    t0=$(date +%s%N)
    xdotool click 1
    wait_until $TAKE_S log_count_above "$PLAYER_TURN" "$turns" || { fail "$RUN: flick $1 was not taken"; return 1; }
    wait_until $TAKE_S log_count_above "$DRAWN" "$drawn" || fail "$RUN: flick $1 never showed on screen"
    wall=$(grep -F "$DRAWN" "$LOG" | tail -n 1 | sed -E 's/.*wall clock ([0-9.]+) s.*/\1/')
    awk -v w="$wall" -v t="$t0" 'BEGIN { printf "%.1f\n", (w * 1e9 - t) / 1e6 }' >>"$LATENCIES"
    move_to $SKY
    RSS_MAX_KB=$(awk -v m=$RSS_MAX_KB '/^RssAnon:/ { print ($2 > m ? $2 : m) }' "/proc/$GAME_PID/status")
    (($1 == 1)) && sleep 0.3 && keep_shot "$(shot)" "$RUN-flick"
    return 0
}

# wait_turn_end ENDS -> 0 the player's move, 1 the set is over, 2 stuck; ENDS is the count of
# flick ends ("Next move:" or "Set over:" lines) before.
flick_ends() { grep -cE "^(Next move:|Set over:)" "$LOG"; }
flick_ends_above() { (($(flick_ends) > $1)); }
wait_turn_end() {
    local ends=$1
    while wait_until $FLICK_S flick_ends_above "$ends"; do
        ends=$(flick_ends)
        case $(grep -E "^(Next move:|Set over:)" "$LOG" | tail -n 1) in
            "Set over:"*) return 1 ;;
            "Next move: player") return 0 ;;
        esac
    done
    fail "$RUN: no flick ended within $FLICK_S s"
    return 2
}

# play_set: the player's flicks until the set ends, then its result screen.
play_set() {
    for ((n = 1; n <= MAX_PLAYER_FLICKS; n++)); do
        ends=$(flick_ends)
        player_flick $n || return 1
        wait_turn_end "$ends"
        case $? in
            1) pass "$RUN: the set ended after $n flicks of the player"
               wait_stable 10 && keep_shot "$LAST_SHOT" "$RUN-result"; return 0 ;;
            2) return 1 ;;
        esac
    done
    fail "$RUN: the set did not end within $MAX_PLAYER_FLICKS flicks"
}

if start_match beginer 0 0 0 1; then
    ends=$(flick_ends)
    player_flick 1 beyond-rim
    wait_turn_end "$ends"
    check "beginer: after the computer's answer the move is back with the player" 0 $?
    check "beginer: the player's turn is logged before the computer's" "$PLAYER_TURN" \
        "$(grep -oE "$PLAYER_TURN|$COMP_TURN" "$LOG" | head -n 1)"
    wait_stable 10
    xdotool keydown Left sleep 0.3 keyup Left
    wait_screen_changes "$LAST_SHOT" "beginer: the held left key turns the camera"
    wait_stable && press_keys Tab && wait_screen_changes "$LAST_SHOT" "beginer: TAB swings the view to an own draught"
    wait_stable && keep_shot "$LAST_SHOT" beginer-focus
    click_changes $GAME_focus "beginer: the focus button swings the view on"
    wait_stable 10 && GAME_SHOT=$LAST_SHOT && press_keys Escape
    wait_screen_changes "$GAME_SHOT" "beginer: ESC shows the pause screen" && wait_stable && keep_shot "$LAST_SHOT" pause
    click_at $PAUSE_cont && move_to $SKY
    wait_screen_is "$GAME_SHOT" "beginer: 'continue' brings the game back as it was"
    press_keys Escape && wait_stable && click_at $PAUSE_leavegm && wait_stable
    game_gone && fail "beginer: the game ended on leaving the match"
    stop_game
fi

if start_match proffi 1 1 1 0; then
    # Clicks while the computer waits and chooses are dropped: the start layout's points
    # would flick at once if they were not.
    read -r a b c d _ <<<"$("$AIM_TOOL" 1 0 1)"
    click_at $a $b && click_at $c $d && move_to $SKY
    wait_until 6 log_has "$COMP_TURN" || fail "proffi: the computer did not start"
    wait_turn_end 0; rc=$?
    log_has "$PLAYER_TURN" && fail "proffi: a click during the computer's turn released a flick"
    ((rc == 0)) && play_set
    stop_game
fi

# A few turns more, so that the delay's median does not hang on one slow frame.
if start_match expert 2 2 0 1; then
    for ((n = 1; n <= 4; n++)); do ends=$(flick_ends); player_flick $n && wait_turn_end "$ends" || break; done
    stop_game
fi

note "largest resident memory of the game's own in a match: $((RSS_MAX_KB / 1024)) MB" | tee "$ART/memory.txt"
((SANITIZED || RSS_MAX_KB <= 120 * 1024)) || fail "the game's own resident memory is above 120 MB"
median=$(sort -n "$LATENCIES" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
note "click-to-screen over $(wc -l <"$LATENCIES") flicks: median $median ms" | tee "$ART/latency.txt"
((SANITIZED)) || awk -v m="$median" 'BEGIN { exit !(m != "" && m <= 50) }' || fail "click-to-screen median not at most 50 ms"
e2e_finish
