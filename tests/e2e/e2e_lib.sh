# Shared helpers of the end-to-end scripts: a private Xvfb, the game process with temp XDG
# folders, screenshots with bounded polling, X input, and the check/fail bookkeeping.
# Sourced; every wait has a deadline.

readonly E2E_SKIP=77
readonly SCREEN_SIZE=800x600  # the Xvfb screen, the game's logical size
E2E_FAILS=0
GAME_PID=""
GAME_RC=""

note() { echo "[$(date +%T.%3N)] $*"; }
fail() {
    echo "[$(date +%T.%3N)] FAIL: $*"
    E2E_FAILS=$((E2E_FAILS + 1))
}
pass() { echo "[$(date +%T.%3N)] ok:   $*"; }
# check DESC EXPECTED ACTUAL
check() {
    if [[ $2 == "$3" ]]; then pass "$1 (= $2)"; else fail "$1: expected '$2', got '$3'"; fi
}

# e2e_setup GAME ARTIFACTS_ROOT NAME [ARGS...]: skips without the X tools, re-runs the calling
# script inside its own Xvfb, and sets GAME, RES_PACK, SRC_DIR, ART, WORK.
e2e_setup() {
    local game=$1 root=$2 name=$3
    shift 3
    if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
        echo "SKIP: xvfb-run or xdotool is not installed"
        exit $E2E_SKIP
    fi
    local tool
    for tool in import compare convert identify cmake timeout; do
        command -v $tool >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
    done
    if [[ -z ${KD_E2E_IN_XVFB:-} ]]; then
        # 24-bit 800x600 screen, no window manager: the game window sits at (0, 0). Without
        # -noreset the server resets whenever its last client leaves, between two steps.
        KD_E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 ${SCREEN_SIZE}x24 -nolisten tcp -noreset" \
            bash "$E2E_SCRIPT" "$game" "$root" "$@"
    fi
    GAME=$(readlink -f "$game")
    RES_PACK=$(dirname "$GAME")/res.dat
    SRC_DIR=$(cd "$(dirname "$E2E_SCRIPT")/../.." && pwd)
    ART=$root/$name
    rm -rf "$ART"
    mkdir -p "$ART"
    WORK=$(mktemp -d /tmp/kd-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    # Sanitized builds: system-library leaks are suppressed, our own still end the run.
    export LSAN_OPTIONS="suppressions=$(dirname "$E2E_SCRIPT")/lsan_system.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    [[ -x $GAME ]] || { echo "FAIL: no game binary at $GAME"; exit 1; }
    [[ -f $RES_PACK ]] || { echo "FAIL: no res.dat beside the game"; exit 1; }
    note "game $GAME, artifacts $ART, display $DISPLAY"
}

e2e_cleanup() {
    if [[ -n $GAME_PID ]] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill -KILL "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    ((${#X_PIDS[@]})) && kill "${X_PIDS[@]}" 2>/dev/null
    rm -rf "$WORK"
}

# ---- private X servers (for cases that need their own screen size, server or manager) ----
X_PIDS=()  # ended with the run, with the helpers started on them
# start_xvfb WxH [XVFB_ARGS...]: a 24-bit Xvfb on a free display; sets DISPLAY, XVFB_PID and
# XVFB_LOG (its stderr). Pass -noreset unless the reset itself is under test.
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

# Sanitizer reports in any game output of this run fail it (UBSan does not change the code).
check_sanitizer_reports() {
    local f
    for f in "$ART"/*.out; do
        [[ -f $f ]] || continue
        if grep -qE "ERROR: (Address|Leak|Thread)Sanitizer|runtime error:" "$f"; then
            fail "sanitizer report in $(basename "$f"):"
            grep -E -A3 "ERROR: |runtime error:" "$f" | head -n 20
        fi
    done
}

e2e_finish() {
    check_sanitizer_reports
    if ((E2E_FAILS > 0)); then
        echo "$E2E_FAILS check(s) failed; screenshots and logs in $ART"
        exit 1
    fi
    echo "all checks passed; screenshots and logs in $ART"
    exit 0
}

# wait_until TIMEOUT_S COMMAND...: polls every 50 ms; false once the deadline passes.
wait_until() {
    local deadline
    deadline=$(($(date +%s%N) + ${1%.*} * 1000000000))
    shift
    until "$@"; do
        (($(date +%s%N) > deadline)) && return 1
        sleep 0.05
    done
}

# ---- the game process ----

# new_profile NAME: fresh XDG config, state and data folders (no settings file).
new_profile() {
    PROFILE=$WORK/$1
    mkdir -p "$PROFILE/config" "$PROFILE/state"
    export XDG_CONFIG_HOME=$PROFILE/config XDG_STATE_HOME=$PROFILE/state XDG_DATA_HOME=$PROFILE/data
    INI=$XDG_CONFIG_HOME/kelvodara/kelvodara.ini
    LOG=$XDG_STATE_HOME/kelvodara/kelvodara.log
}

log_has() { [[ -f $LOG ]] && grep -qF -- "$1" "$LOG"; }
# scene_rebuilt_since N: more than N "Scene ready" lines (the scene is built after each switch)
scene_rebuilt_since() { (($(log_count "Scene ready") > $1)); }
log_count() { if [[ -f $LOG ]]; then grep -cF -- "$1" "$LOG"; else echo 0; fi; }
game_window() { xdotool search --name "^Kelvo Dara" 2>/dev/null | head -n 1; }
game_window_shown() { [[ -n $(game_window) ]]; }

# start_game [BINARY]: runs the game silent-audio in the current profile; waits for the first
# drawn main-menu frame and the X window.
start_game() {
    local bin=${1:-$GAME}
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$bin" >"$ART/game-$(basename "$PROFILE").out" 2>&1 &
    GAME_PID=$!
    GAME_RC=""
    if ! wait_until 20 log_has "First frame drawn (screen 0)"; then
        fail "no first frame within 20 s"
        [[ -f $LOG ]] && cp "$LOG" "$ART/game-$(basename "$PROFILE").log"
        return 1
    fi
    if ! wait_until 10 game_window_shown; then
        fail "no X window named Kelvo Dara; windows: $(xdotool search --name . getwindowname %@ 2>&1 | tr '\n' '|')"
        return 1
    fi
}

game_running() { kill -0 "$GAME_PID" 2>/dev/null; }

# start_game, once more when the first game ended at start on a lost display connection; the
# first game's output and log are kept as game-<profile>-lost-at-start.*.
start_game_again_if_display_lost() {
    local out=$ART/game-$(basename "$PROFILE").out
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$GAME" >"$out" 2>&1 &
    GAME_PID=$!
    GAME_RC=""
    if ! wait_until 20 sh -c "grep -qF 'First frame drawn (screen 0)' '$LOG' 2>/dev/null || ! kill -0 $GAME_PID 2>/dev/null"; then
        fail "no first frame within 20 s"
        return 1
    fi
    if ! log_has "First frame drawn (screen 0)"; then
        if grep -qF "connection to the display was lost" "$out"; then
            echo "[$(date +%T.%3N)] note: the game lost its display at start; started once more"
            mv "$out" "${out%.out}-lost-at-start.out"
            [[ -f $LOG ]] && mv "$LOG" "$ART/game-$(basename "$PROFILE")-lost-at-start.log"
            start_game
            return
        fi
        fail "the game ended before its first frame"
        return 1
    fi
    wait_until 10 game_window_shown || { fail "no X window named Kelvo Dara"; return 1; }
}
game_gone() { ! game_running; }

# wait_game_exit TIMEOUT_S: sets GAME_RC; kills and fails when the game does not end in time.
wait_game_exit() {
    if wait_until "$1" game_gone; then
        wait "$GAME_PID"
        GAME_RC=$?
    else
        fail "the game did not exit within $1 s"
        kill -KILL "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        GAME_RC=killed
    fi
    GAME_PID=""
}

# ini_value KEY -> the value in the settings file (empty when missing).
ini_value() { [[ -f $INI ]] && sed -nE "s/^$1=(.*)\r?$/\1/p" "$INI" | head -n 1; }
ini_is() { [[ $(ini_value "$1") == "$2" ]]; }

# ---- X input ----

# move_to X Y: waits for the move, except where the pointer already is (xdotool's --sync
# would wait for a move that never comes).
move_to() {
    if [[ $(xdotool getmouselocation | sed -E 's/x:([0-9]+) y:([0-9]+).*/\1 \2/') == "$1 $2" ]]; then
        return 0
    fi
    xdotool mousemove --sync "$1" "$2"
}
click_at() {
    move_to "$1" "$2"
    xdotool click 1
}
press_keys() { xdotool key --delay 15 "$@"; }
# repeat_words N WORD -> WORD repeated N times
repeat_words() { local i; for ((i = 0; i < $1; i++)); do printf '%s ' "$2"; done; }

# ---- screenshots ----
# Captures are raw RGB (fast to take and to compare byte for byte); kept ones become PNG.

readonly RAW="-size $SCREEN_SIZE -depth 8"
# shot -> path of a new capture of the whole X screen (in WORK).
shot() {
    local f
    f=$(mktemp -p "$WORK" shot-XXXXXX)
    import -silent -window root -depth 8 "rgb:$f"
    echo "$f"
}
keep_shot() { convert $RAW "rgb:$1" "$ART/$2.png"; }
same_image() { cmp -s "$1" "$2"; }
# pixels_differing A B -> how many pixels differ
pixels_differing() { compare $RAW -metric AE "rgb:$1" "rgb:$2" null: 2>&1 | sed -E 's/ .*//'; }

# Captures until the screen holds still over two captures; LAST_SHOT is the result.
stable_now() {
    local a b
    a=$(shot)
    sleep 0.06
    b=$(shot)
    LAST_SHOT=$b
    same_image "$a" "$b"
}
wait_stable() { wait_until "${1:-6}" stable_now || { fail "the screen did not settle"; return 1; }; }

shot_equals_() { LAST_SHOT=$(shot); same_image "$LAST_SHOT" "$1"; }
shot_differs_() { LAST_SHOT=$(shot); ! same_image "$LAST_SHOT" "$1"; }
# wait_screen_is REF DESC / wait_screen_changes REF DESC: polls with a deadline; LAST_SHOT is
# the last capture.
wait_screen_is() {
    if wait_until "${3:-6}" shot_equals_ "$1"; then pass "$2"; return 0; fi
    fail "$2 (screen still differs in $(pixels_differing "$LAST_SHOT" "$1") pixels)"
    return 1
}
wait_screen_changes() {
    if wait_until "${3:-6}" shot_differs_ "$1"; then pass "$2"; return 0; fi
    fail "$2 (the screen did not change)"
    return 1
}

# diff_box A B -> X "left top right bottom" of the pixels that differ
diff_box() {
    convert $RAW "rgb:$1" "rgb:$2" -compose difference -composite -threshold 0 -trim \
        -format '%X %Y %w %h' info: | sed -E 's/\+//g' |
        awk '{ print $1, $2, $1 + $3 - 1, $2 + $4 - 1 }'
}

# masked SRC "x0,y0 x1,y1" -> a copy of SRC with one X rectangle painted black.
masked() {
    local out
    out=$(mktemp -p "$WORK" masked-XXXXXX)
    convert $RAW "rgb:$1" -fill black -draw "rectangle $2" -depth 8 "rgb:$out"
    echo "$out"
}
