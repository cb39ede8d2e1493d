#!/usr/bin/env bash
# The real game given bad surroundings: out-of-range settings, a settings file that is a folder,
# a settings folder under a regular file, no audio device, no res.dat, no display. Each case
# starts or refuses cleanly, logs why, loses no data and never hangs.
# Usage: bad_input_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" bad_input

# Values outside their lists play as the item the setup screen shows; leaving setup by ESC
# does not rewrite the file.
new_profile bad-values GameMode=0 BoardType=7 MyWhite=1 FullScreen=0 StarType=2 DepthBits=-1
SUM=$(md5sum <"$INI")
if start_game; then
    for line in "BoardType=7 is not one of its values" "DepthBits=-1 is not one of its values"; do
        log_has "$line" && pass "bad-values: logged: $line" || fail "bad-values: no log line '$line'"
    done
    log_has "holds 2, which no item shows" && fail "bad-values: StarType=2 (the missing-key value) was logged as bad"
    click_changes $MAIN_setup "bad-values: setup opens" && keep_shot "$LAST_SHOT" bad-values-setup
    press_keys Escape && wait_stable
    check "bad-values: the file is not rewritten" "$SUM" "$(md5sum <"$INI")"
    click_changes $MAIN_single "bad-values: 'single' opens the level screen" && click_at $LEVEL_beginer
    wait_until 5 log_has "Match started: players 1, board 0" && pass "bad-values: the game is on the square board" ||
        fail "bad-values: the game is not on the square board the setup screen shows"
    stop_game
fi

# The settings file is a folder: defaults, a refused save said on the setup screen, the folder kept.
# Then the settings folder lies under a regular file, which stays untouched.
new_profile ini-folder && mkdir -p "$INI/keep" && touch "$INI/keep/data"
BLOCKER=$WORK/blocker && echo "someone else's data" >"$BLOCKER"
for case in ini-folder blocked; do
    [[ $case == blocked ]] && new_profile blocked && export XDG_CONFIG_HOME=$BLOCKER/config
    start_game || continue
    click_changes $MAIN_setup "$case: setup opens"
    click_changes $SETUP_board "$case: the board selector still works"
    click_at $SETUP_mainmnu
    wait_until 5 log_has "the setup screen says so" && pass "$case: the refused save is logged and shown" ||
        fail "$case: the player was not told that the settings were not saved"
    wait_stable && keep_shot "$LAST_SHOT" "$case-not-saved"
    stop_game
done
[[ -f $WORK/ini-folder/config/kelvodara/kelvodara.ini/keep/data ]] || fail "ini-folder: the folder was changed"
check "blocked: the file in the way is untouched" "someone else's data" "$(cat "$BLOCKER")"

new_profile no-audio
if SDL_AUDIODRIVER=nonexistent start_game; then
    log_has "the game goes on silent" && pass "no-audio: logged" || fail "no-audio: no log line about the audio device"
    click_changes $MAIN_setup "no-audio: a click with its sound works"
    stop_game
fi

# No pack beside the binary, or no display to be had: the start fails at once with code 0, the
# error on stderr (no box can show) and the reason in the log.
mkdir -p "$WORK/no-pack" && cp "$GAME" "$WORK/no-pack/"
for row in "no-pack|$WORK/no-pack/$(basename "$GAME")|SDL_VIDEODRIVER=offscreen" "no-display|$GAME|" \
    "dead-display|$GAME|DISPLAY=:$((RANDOM % 1000 + 2000))" "no-display-x11|$GAME|SDL_VIDEODRIVER=x11"; do
    IFS='|' read -r name bin env <<<"$row"
    new_profile "$name"
    (unset DISPLAY; exec env $env SDL_AUDIODRIVER=dummy timeout 20 "$bin") >"$ART/$name.out" 2>&1
    check "$name: exit code" 0 $?
    grep -q "^KelvoDara: " "$ART/$name.out" && log_has "Start-up failed" && pass "$name: the error on stderr and in the log" ||
        fail "$name: no error on stderr or in the log"
done
e2e_finish
