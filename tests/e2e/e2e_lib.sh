# Shared helpers of the end-to-end scripts: a private Xvfb, the game process with temp XDG
# folders, screenshots with bounded polling, X input, and the check/fail bookkeeping.
# Sourced; every wait has a deadline.

readonly SCREEN_SIZE=800x600  # the Xvfb screen, the game's logical size
readonly EXIT_CODE=18         # the main menu's "exit"
E2E_FAILS=0 GAME_PID="" GAME_RC="" X_PIDS=()

# Click points in X pixels of the 800 x 600 window at (0, 0): main menu, level screens, game,
# pause, setup and text pages. A moved widget makes the clicks miss and the checks fail.
MAIN_single="92 33" MAIN_multi="101 59" MAIN_setup="68 116" MAIN_help="702 36" MAIN_about="717 62"
MAIN_exit="88 206" LEVEL_beginer="224 156" LEVEL_proffi="209 182" LEVEL_expert="227 208"
LEVEL_network="235 286" PAUSE_cont="556 261" PAUSE_leavegm="201 261" SETUP_mainmnu="101 536"
SETUP_board="225 156" GAME_focus="29 100" PAGE_mainmnu="671 16" NEUTRAL="400 300" SKY="400 40"

note() { echo "[$(date +%T.%3N)] $*"; }
fail() { note "FAIL: $*"; E2E_FAILS=$((E2E_FAILS + 1)); }
pass() { note "ok:   $*"; }
check() { if [[ $2 == "$3" ]]; then pass "$1 (= $2)"; else fail "$1: expected '$2', got '$3'"; fi; }

# e2e_setup GAME ARTIFACTS_ROOT NAME [ARGS...]: skips without the X tools, re-runs the calling
# script inside its own Xvfb, and sets GAME, SRC_DIR, ART, WORK.
e2e_setup() {
    local game=$1 root=$2 name=$3
    shift 3
    command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: no xvfb-run or xdotool"; exit 77; }
    # No window manager: the game window sits at (0, 0). Without -noreset the server resets
    # whenever its last client leaves, between two steps.
    [[ -n ${KD_E2E_IN_XVFB:-} ]] || KD_E2E_IN_XVFB=1 exec xvfb-run -a \
        -s "-screen 0 ${SCREEN_SIZE}x24 -nolisten tcp -noreset" bash "$E2E_SCRIPT" "$game" "$root" "$@"
    GAME=$(readlink -f "$game")
    SRC_DIR=$(cd "$(dirname "$E2E_SCRIPT")/../.." && pwd)
    ART=$root/$name && rm -rf "$ART" && mkdir -p "$ART"
    WORK=$(mktemp -d /tmp/kd-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    # Sanitized builds: system-library leaks are suppressed, our own still end the run.
    export LSAN_OPTIONS="suppressions=$(dirname "$E2E_SCRIPT")/lsan_system.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    [[ -x $GAME && -f $(dirname "$GAME")/res.dat ]] || { echo "FAIL: no game and res.dat at $GAME"; exit 1; }
}

e2e_cleanup() {
    [[ -n $GAME_PID ]] && kill -KILL "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    ((${#X_PIDS[@]})) && kill "${X_PIDS[@]}" 2>/dev/null
    rm -rf "$WORK"
}

# Sanitizer reports in any game output of this run fail it.
check_sanitizer_reports() {
    local f
    for f in "$ART"/*.out; do
        [[ -f $f ]] && grep -qE "ERROR: (Address|Leak|Thread)Sanitizer|runtime error:" "$f" &&
            fail "sanitizer report in $(basename "$f")" && grep -E -A3 "ERROR: |runtime error:" "$f" | head -n 20
    done
}

e2e_finish() {
    check_sanitizer_reports
    echo "$E2E_FAILS check(s) failed; screenshots and logs in $ART"
    exit $((E2E_FAILS > 0))
}

# wait_until TIMEOUT_S COMMAND...: polls every 50 ms; false once the deadline passes.
wait_until() {
    local deadline=$(($(date +%s%N) + ${1%.*} * 1000000000))
    shift
    until "$@"; do (($(date +%s%N) > deadline)) && return 1; sleep 0.05; done
}

# start_xvfb WxH [XVFB_ARGS...]: another Xvfb on a free display; sets DISPLAY, XVFB_PID, XVFB_LOG.
start_xvfb() {
    local size=$1 number=$WORK/display-$RANDOM
    shift
    XVFB_LOG=$number.log
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "${size}x24" "$@" 3>"$number" 2>"$XVFB_LOG" &
    XVFB_PID=$!
    X_PIDS+=("$XVFB_PID")
    wait_until 10 test -s "$number" || { fail "Xvfb $size did not start"; return 1; }
    export DISPLAY=:$(head -n 1 "$number")
}

# ---- the game process ----

# new_profile NAME [INI_LINES...]: fresh XDG folders; with lines, a settings file of them.
new_profile() {
    PROFILE=$WORK/$1
    shift
    mkdir -p "$PROFILE/config/kelvodara" "$PROFILE/state"
    export XDG_CONFIG_HOME=$PROFILE/config XDG_STATE_HOME=$PROFILE/state XDG_DATA_HOME=$PROFILE/data
    INI=$XDG_CONFIG_HOME/kelvodara/kelvodara.ini
    LOG=$XDG_STATE_HOME/kelvodara/kelvodara.log
    (($#)) && printf '%s\r\n' '[Kelvo Dara]' "$@" >"$INI"
    return 0
}
log_has() { [[ -f $LOG ]] && grep -qF -- "$1" "$LOG"; }
log_count() { if [[ -f $LOG ]]; then grep -cF -- "$1" "$LOG"; else echo 0; fi; }
log_count_above() { (($(log_count "$1") > $2)); }
ini_is() { [[ -f $INI ]] && grep -qE "^$1=$2"$'\r?$' "$INI"; }
game_window() { xdotool search --name "^Kelvo Dara" 2>/dev/null | head -n 1; }
game_window_shown() { [[ -n $(game_window) ]]; }
game_gone() { ! kill -0 "$GAME_PID" 2>/dev/null; }

# start_game [ARGS...]: the game, silent, in the current profile; waits for its first frame.
start_game() {
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$GAME" "$@" >"$ART/game-$(basename "$PROFILE").out" 2>&1 &
    GAME_PID=$! GAME_RC=""
    wait_until 20 log_has "First frame drawn" && wait_until 10 game_window_shown && return 0
    fail "$(basename "$PROFILE"): no first frame and window within 30 s"
    return 1
}

# game_threads: where each thread of a game that does not end waits (with gdb, where there is one).
game_threads() {
    command -v gdb >/dev/null || return 0
    timeout 30 gdb -p "$GAME_PID" -batch -ex "thread apply all bt 16" 2>/dev/null | grep -E '^(Thread|#)' | cut -c1-180
}
# wait_game_exit TIMEOUT_S: sets GAME_RC; kills and fails when the game does not end in time;
# keeps the log.
wait_game_exit() {
    wait_until "$1" game_gone || { fail "the game did not exit within $1 s"; game_threads; kill -KILL "$GAME_PID"; }
    wait "$GAME_PID" 2>/dev/null
    GAME_RC=$? GAME_PID=""
    [[ -f $LOG ]] && cp "$LOG" "$ART/$(basename "$PROFILE").log"
}
# stop_game: SIGTERM, and the game must end cleanly.
stop_game() { kill -TERM "$GAME_PID" 2>/dev/null; wait_game_exit 10; check "$(basename "$PROFILE"): exit code on SIGTERM" 0 "$GAME_RC"; }

# ---- X input and screenshots (raw RGB, compared byte for byte; kept ones become PNG) ----

# (--sync would wait for ever for a move to where the pointer already is)
move_to() { [[ $(xdotool getmouselocation) == "x:$1 y:$2 "* ]] || xdotool mousemove --sync "$1" "$2"; }
click_at() { move_to "$1" "$2" && xdotool click 1; }
press_keys() { xdotool key --delay 15 "$@"; }
shot() { local f; f=$(mktemp -p "$WORK" shot-XXXXXX) && import -silent -window root -depth 8 "rgb:$f" && echo "$f"; }
keep_shot() { convert -size $SCREEN_SIZE -depth 8 "rgb:$1" "$ART/$2.png"; }
same_image() { cmp -s "$1" "$2"; }
# The screen held still over two captures; LAST_SHOT is the result.
stable_now() { local a; a=$(shot) && sleep 0.06 && LAST_SHOT=$(shot) && same_image "$a" "$LAST_SHOT"; }
wait_stable() { wait_until "${1:-6}" stable_now || { fail "the screen did not settle"; return 1; }; }
shot_is_() { LAST_SHOT=$(shot); same_image "$LAST_SHOT" "$1"; }
shot_differs_() { ! shot_is_ "$1"; }
# wait_screen_is REF DESC [S] / wait_screen_changes REF DESC [S]: LAST_SHOT is the last capture.
wait_screen_is() { wait_until "${3:-6}" shot_is_ "$1" && pass "$2" || { fail "$2 (the screen differs)"; return 1; }; }
wait_screen_changes() { wait_until "${3:-6}" shot_differs_ "$1" && pass "$2" || { fail "$2 (the screen did not change)"; return 1; }; }
# click_changes X Y DESC: a stable screen, a click, and the screen changes.
click_changes() { wait_stable && click_at "$1" "$2" && move_to $NEUTRAL && wait_screen_changes "$LAST_SHOT" "$3"; }
