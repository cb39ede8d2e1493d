#!/usr/bin/env bash
# The real game and its X display, each case on an X server of its own: the server goes away
# under the game, a server that resets when its last client leaves, the window closed by its
# window manager, full screen with no window manager.
# Usage: display_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" display

# The server goes away under a running game: it ends at once, says why, its settings intact.
start_xvfb 800x600 -noreset && new_profile lost GameMode=1 BoardType=2 FullScreen=0
SUM=$(md5sum <"$INI")
if start_game; then
    kill -KILL "$XVFB_PID"
    wait_game_exit 2
    log_has "connection to the display was lost" && pass "lost display: the game ended and says why" ||
        fail "lost display: no log line"
    check "lost display: the settings file is intact" "$SUM" "$(md5sum <"$INI")"
fi

# A server that resets when its last client leaves: no client of the game leaves before its
# first frame (the game's own connections come first in the audit).
start_xvfb 800x600 -audit 4 && new_profile reset
if start_game; then
    check "resetting server: clients gone before the first frame" 0 \
        "$(awk -v p="pid=$GAME_PID " '/connected from/ && !index($0, p) { exit } /disconnected/ { n++ } END { print n + 0 }' "$XVFB_LOG")"
    wait_stable && keep_shot "$LAST_SHOT" windowed-menu
    stop_game
fi

# Closed by the window manager (ALT+F4 under openbox): the game ends cleanly.
start_xvfb 1024x768 -noreset && new_profile closed
openbox >/dev/null 2>&1 & X_PIDS+=($!)
# _OB_THEME is set once openbox has read its configuration.
wait_until 10 sh -c 'xprop -root _OB_THEME | grep -q =' || fail "openbox did not start"
# The menu is on screen first, as the player sees it before closing.
if start_game; then
    wait_stable
    xdotool windowactivate --sync "$(game_window)" key alt+F4
    wait_game_exit 5
    check "closed window: exit code" 0 "$GAME_RC"
fi

# Full screen with no window manager: the menu covers the screen, scaled (the game's own
# cursor is all that differs).
start_xvfb 1024x768 -noreset && new_profile full-screen FullScreen=1
if start_game; then
    menu_scaled() {
        import -window root "$ART/full-screen-menu.png"
        rmse=$(convert "$ART/full-screen-menu.png" -resize 800x600! png:- |
            compare -metric RMSE - "$ART/windowed-menu.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/')
        awk -v r="$rmse" 'BEGIN { exit !(r < 0.08) }'
    }
    wait_until 5 menu_scaled && pass "full screen: the whole menu, scaled" || fail "full screen: not the menu scaled (RMSE $rmse)"
    stop_game
fi
e2e_finish
