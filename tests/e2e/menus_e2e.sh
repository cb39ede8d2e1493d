#!/usr/bin/env bash
# The menus of the real game under Xvfb, driven by X clicks and keys: every screen once (its
# screenshot kept), the pointer's hover in X pixels, a setup choice saved by 'mainmnu', ALT+ENTER
# to full screen and back on a scrolled help page, and the 'exit' button's exit code.
# Usage: menus_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" menus

new_profile fresh
start_game || e2e_finish
[[ -f $INI ]] && fail "a settings file appeared at start-up"
move_to $NEUTRAL
wait_stable && MAIN=$LAST_SHOT && keep_shot "$MAIN" main
# Hovering 'single' changes pixels only in its own rectangle (X pixels 7..176, 21..46).
move_to $MAIN_single
if wait_screen_changes "$MAIN" "hovering 'single' highlights it"; then
    box=$(convert -size $SCREEN_SIZE -depth 8 "rgb:$MAIN" "rgb:$LAST_SHOT" -compose difference -composite \
        -threshold 0 -trim -format '%X %Y %w %h' info: | tr -d +)
    read -r x y w h <<<"$box"
    ((x >= 7 && y >= 21 && x + w <= 177 && y + h <= 47)) && pass "the hover lies in the button" ||
        fail "the hover change ($box) is outside the button"
fi

# Every screen from the main menu opens, shows something new and goes back by ESC.
for s in help about single multi setup; do
    p=MAIN_$s
    wait_stable
    click_changes ${!p} "'$s' opens its screen" && wait_stable && keep_shot "$LAST_SHOT" "$s"
    [[ $s == setup ]] && break
    press_keys Escape
    wait_screen_is "$MAIN" "ESC leaves '$s' for the main menu"
done
# On setup: the board choice is saved by 'mainmnu' only.
click_changes $SETUP_board "the board selector shows the next board"
ini_is BoardType 1 && fail "the board was saved before 'mainmnu'"
click_at $SETUP_mainmnu
wait_until 5 ini_is BoardType 1 && pass "'mainmnu' saves the board" || fail "BoardType is not 1 after 'mainmnu'"
move_to $NEUTRAL
wait_screen_is "$MAIN" "'mainmnu' returns to the main menu"

# ALT+ENTER to full screen and back keeps the help page and its scroll position.
click_at $MAIN_help && move_to $NEUTRAL
wait_stable && press_keys Down Down Down && wait_stable && WINDOWED=$LAST_SHOT
for full in 1 0; do
    scenes=$(log_count "Scene ready")
    press_keys alt+Return
    wait_until 10 ini_is FullScreen $full && pass "ALT+ENTER saves FullScreen=$full" || fail "FullScreen is not $full"
    wait_until 20 log_count_above "Scene ready" "$scenes" || fail "ALT+ENTER: the scene was not rebuilt"
done
# The first frames of the new window may show "LOADING" while its shaders compile.
wait_screen_is "$WINDOWED" "back in a window, help shows the same scrolled page" 20
check "hot-key errors after two switches" 0 "$(log_count "HotKey")"
press_keys Escape
wait_screen_is "$MAIN" "ESC returns to the main menu"
click_at $MAIN_exit
wait_game_exit 5
check "exit code of the 'exit' button" $EXIT_CODE "$GAME_RC"
check "GL errors in the log" 0 "$(log_count "GL error")"
e2e_finish
