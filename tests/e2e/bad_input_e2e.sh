#!/usr/bin/env bash
# The real game under Xvfb given bad surroundings: a settings folder that cannot exist, a
# settings file that is a folder, out-of-range settings, no res.dat, no audio device, no
# display. Each case must start or refuse cleanly, log why, lose no data and never hang.
# Usage: bad_input_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" bad_input

readonly EXIT_CODE=18
readonly ERROR_BOX_CAPTION=KelvoDara

layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
MAIN_setup=$(button_point setup kMainButtons) || exit 1
MAIN_exit=$(button_point exit kMainButtons) || exit 1
MAIN_single=$(button_point single kMainButtons) || exit 1
LEVEL_beginer=$(button_point beginer kLevelButtons) || exit 1
PAUSE_leavegm=$(button_point leavegm kPauseButtons) || exit 1
layout_selectors || exit 1
SETUP_mainmnu=$(button_point mainmnu kSetupButtons "$(all_selector_rects)") || exit 1
BOARD_LIST=$(selector_point LIST_BOARD) || exit 1

# quit_by_exit_button CASE: the main menu's "exit" ends the game with its code.
quit_by_exit_button() {
    click_at $MAIN_exit
    wait_game_exit 5
    check "$1: exit code" $EXIT_CODE "$GAME_RC"
    cp "$LOG" "$ART/$1.log" 2>/dev/null
}

# save_refused CASE: "mainmnu" with settings that cannot be written keeps the setup screen once,
# its notice telling the player; the second click leaves.
save_refused() {
    click_at $SETUP_mainmnu
    wait_until 5 log_has "settings: not saved" && pass "$1: the save is refused and logged" ||
        fail "$1: no log line about the refused save"
    wait_until 5 log_has "the setup screen says so" && pass "$1: the setup screen stays and says so" ||
        fail "$1: the player was not told that the settings were not saved"
    wait_stable && keep_shot "$LAST_SHOT" "$1-not-saved"
    click_at $SETUP_mainmnu
    wait_stable
}

# main_menu_shown CASE: the first frame is the main menu, kept as a screenshot.
main_menu_shown() {
    wait_stable && keep_shot "$LAST_SHOT" "$1-main"
    log_has "First frame drawn (screen 0)" && pass "$1: the main menu is drawn" ||
        fail "$1: no main menu frame"
}

# ---- a settings folder under a regular file: nothing can be read or written there ----
new_profile blocked
BLOCKER=$WORK/blocker-file
printf 'someone else\047s data\n' >"$BLOCKER"
BLOCKER_SUM=$(md5sum <"$BLOCKER")
export XDG_CONFIG_HOME=$BLOCKER/config
if start_game; then
    main_menu_shown blocked-config
    click_at $MAIN_setup
    wait_stable
    setup=$LAST_SHOT
    click_at $BOARD_LIST
    wait_screen_changes "$setup" "blocked-config: the board selector still works"
    save_refused blocked-config
    game_running && pass "blocked-config: the game runs on" || fail "blocked-config: the game ended"
    check "blocked-config: the file in the way is untouched" "$BLOCKER_SUM" "$(md5sum <"$BLOCKER")"
    grep -F "settings:" "$LOG" | sed 's/^/    log: /'
    quit_by_exit_button blocked-config
fi

# ---- the settings file is a folder: defaults, and the folder is left alone ----
new_profile ini-folder
mkdir -p "$INI/keep"
touch "$INI/keep/data"
if start_game; then
    main_menu_shown ini-folder
    log_has "settings: cannot read $INI" && pass "ini-folder: the log says the file cannot be read" ||
        fail "ini-folder: no log line about the unreadable file"
    click_at $MAIN_setup
    wait_stable
    save_refused ini-folder
    [[ -d $INI && -f $INI/keep/data ]] && pass "ini-folder: the folder and its content are kept" ||
        fail "ini-folder: the folder in place of the file was changed"
    quit_by_exit_button ini-folder
fi

# ---- settings out of range: unknown board, the "missing" sky value, a negative depth ----
# Each value outside its list plays as the item the setup screen shows.
new_profile bad-values
mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\nGameMode=0\nTurnType=0\nCheckType=0\nBoardType=7\nMyWhite=1\nFullScreen=0\nStarType=2\nDepthBits=-1\n' >"$INI"
INI_SUM=$(md5sum <"$INI")
if start_game; then
    main_menu_shown bad-values
    log_has "BoardType=7 is not one of its values" && pass "bad-values: the log names the board value outside its list" ||
        fail "bad-values: no log line about BoardType=7"
    log_has "holds 2, which no item shows" && fail "bad-values: StarType=2 (the missing-key value) was logged as bad"
    log_has "DepthBits=-1 is not one of its values" && pass "bad-values: the log names the colour depth" ||
        fail "bad-values: no log line about DepthBits=-1"
    click_at $MAIN_setup
    wait_stable && keep_shot "$LAST_SHOT" bad-values-setup
    # Leaving the setup screen by a key does not save: the odd file stays as it was.
    press_keys Escape
    wait_stable
    check "bad-values: the file is not rewritten" "$INI_SUM" "$(md5sum <"$INI")"
    # The game is played on the board the setup screen shows; ESC and "leavegm" lead out.
    click_at $MAIN_single
    wait_stable
    click_at $LEVEL_beginer
    wait_until 5 log_has "Match started: players 1, board 0" &&
        pass "bad-values: the game is on the square board the setup screen shows" ||
        fail "bad-values: the game is not on the square board"
    wait_stable && keep_shot "$LAST_SHOT" bad-values-game
    press_keys Escape
    wait_stable
    click_at $PAUSE_leavegm
    wait_stable
    grep -E "Setup:|settings:|epth|GL context|layout" "$LOG" | sed 's/^/    log: /'
    quit_by_exit_button bad-values
fi
unset XDG_CONFIG_HOME

# ---- no audio device: the game runs silent ----
new_profile no-audio
if SDL_AUDIODRIVER=nonexistent start_game; then
    main_menu_shown no-audio
    log_has "the game goes on silent" && pass "no-audio: the log says the game is silent" ||
        fail "no-audio: no log line about the missing audio device"
    click_at $MAIN_setup   # a click plays sounds: must not fail without a device
    wait_stable
    press_keys Escape
    wait_stable
    quit_by_exit_button no-audio
fi

# ---- no res.dat beside the binary ----
# refused_start CASE BINARY [VAR=VALUE...]: with DISPLAY unset unless given, the start fails
# at once with code 0, the error text on stderr (no box can show) and the reason in the log.
refused_start() {
    local name=$1 bin=$2 out=$ART/$1.out
    shift 2
    new_profile "$name"
    (unset DISPLAY; exec env "$@" SDL_AUDIODRIVER=dummy timeout 20 "$bin") >"$out" 2>&1
    check "$name: exit code" 0 $?
    grep -q "^$ERROR_BOX_CAPTION: " "$out" && pass "$name: the error text is on stderr" ||
        fail "$name: no error text on stderr"
    log_has "Start-up failed" && pass "$name: the log says why the start failed" ||
        fail "$name: no start-up failure in the log"
    sed 's/^/    stderr: /' "$out"
}
mkdir -p "$WORK/no-pack-bin"
cp "$GAME" "$WORK/no-pack-bin/kelvodara"
# Without video (offscreen driver) the error goes to stderr instead of a box.
refused_start no-pack-offscreen "$WORK/no-pack-bin/kelvodara" SDL_VIDEODRIVER=offscreen

# Under X, SDL shows a real message box where it can (zenity or its own X11 box) and waits
# for the player: Return must close it and end the game with code 0. Where SDL cannot show
# one, the text goes to stderr and the game ends at once.
new_profile no-pack-box
SDL_AUDIODRIVER=dummy "$WORK/no-pack-bin/kelvodara" >"$ART/no-pack-x11.out" 2>&1 &
GAME_PID=$!
# (xwininfo: xdotool does not match the UTF-8 name SDL gives its box)
error_box() { xwininfo -root -tree | awk -v n="\"$ERROR_BOX_CAPTION\":" '$2 == n { print $1; exit }'; }
box_or_gone() { [[ -n $(error_box) ]] || game_gone; }
wait_until 10 box_or_gone || fail "no-pack, X11: neither an error box nor an exit within 10 s"
box=$(error_box)
if [[ -n $box ]]; then
    pass "no-pack, X11: the error box '$ERROR_BOX_CAPTION' appears"
    wait_stable && keep_shot "$LAST_SHOT" no-pack-error-box
    xdotool key --window "$box" Return
else
    grep -q "^$ERROR_BOX_CAPTION: " "$ART/no-pack-x11.out" &&
        pass "no-pack, X11: SDL could not show a box; the error text is on stderr" ||
        fail "no-pack, X11: no box and no error text on stderr"
fi
wait_game_exit 5
check "no-pack, X11: exit code" 0 "$GAME_RC"
game_window_shown && fail "no-pack, X11: a game window was opened"
sed 's/^/    stderr: /' "$ART/no-pack-x11.out"

# ---- no display at all ----
# No display to be had (none named, one with no server, X11 demanded without one): video
# cannot start, the error goes to stderr (no box can show) and the log, and the game ends
# with code 0 instead of running unseen on SDL's offscreen driver.
refused_start no-display "$GAME"
refused_start dead-display "$GAME" DISPLAY=:$((RANDOM % 1000 + 2000))
refused_start no-display-x11 "$GAME" SDL_VIDEODRIVER=x11

# The offscreen driver asked for by name (tests, tools) still runs the game unseen: it must
# draw its menu there and end on SIGTERM.
new_profile offscreen
# A sanitized game unloads Mesa's EGL driver before LeakSanitizer looks, leaving its blocks
# in nameless frames that no suppression can match; preloaded, the driver stays and its
# blocks are suppressed by name like the other system libraries.
keep_drivers=()
if ldd "$GAME" | grep -q libasan; then
    preload=""
    for lib in /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so libEGL_mesa.so.0; do
        [[ $lib != /* || -f $lib ]] && preload+=${preload:+:}$lib
    done
    keep_drivers=(LD_PRELOAD="$preload" ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}")
fi
(unset DISPLAY; exec env "${keep_drivers[@]}" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$GAME") >"$ART/offscreen.out" 2>&1 &
GAME_PID=$!
if wait_until 20 log_has "First frame drawn (screen 0)"; then
    pass "offscreen driver asked for: the game runs off screen and draws the main menu"
else
    fail "offscreen driver asked for: no first frame"
fi
kill -TERM "$GAME_PID" 2>/dev/null
wait_game_exit 5
check "offscreen driver asked for: exit code after SIGTERM" 0 "$GAME_RC"
cp "$LOG" "$ART/offscreen.log" 2>/dev/null

e2e_finish
