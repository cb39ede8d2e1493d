#!/usr/bin/env bash
# The real game and its X display, each case on an X server of its own: the server goes away
# under the game, a server that resets when its last client leaves, the window's icon, a
# window left for another one under a window manager, full screen with no window manager.
# Usage: display_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" display

readonly ICON_PNG=$(dirname "$GAME")/icons/64x64/apps/kelvodara.png
readonly SAME_PICTURE_RMSE=0.08  # a picture drawn at another size, scaled back

# win_box WINDOW -> "x y w h" on the screen (xdotool's place is off under a window manager)
win_box() {
    xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /Width/ { w = $2 } /Height/ { h = $2 } END { print x + 0, y + 0, w + 0, h + 0 }'
}

# ---- the server goes away under a running game: it ends at once, its settings intact ----
start_xvfb 800x600 -noreset && new_profile lost && mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\nGameMode=1\nBoardType=2\nFullScreen=0\n' >"$INI"
INI_SUM=$(md5sum <"$INI")
if start_game; then
    kill -KILL "$XVFB_PID"
    wait_game_exit 2
    log_has "connection to the display was lost" &&
        pass "lost display: the game ended, code $GAME_RC, and says why" || fail "lost display: no log line"
    check "lost display: the settings file is intact" "$INI_SUM" "$(md5sum <"$INI")"
fi

# ---- a server that resets when its last client leaves: the game stays its client ----
start_xvfb 800x600 -audit 4 && new_profile reset
if start_game; then
    # The game's own connections come first; any that left before its frame reset the server.
    check "resetting server: clients gone before the first frame" 0 \
        "$(awk -v p="pid=$GAME_PID " '/connected from/ && !index($0, p) { exit } /disconnected/ { n++ } END { print n + 0 }' "$XVFB_LOG")"
    wait_stable && keep_shot "$LAST_SHOT" windowed-menu
    # The window's icon is the desktop icon, pixel for pixel (xprop gives ARGB words).
    convert "$ICON_PNG" -depth 8 rgba:- | od -An -v -tu1 -w4 |
        awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }' >"$WORK/icon-painted"
    xprop -id "$(game_window)" -notype 32c _NET_WM_ICON | tr ',' '\n' | tail -n +3 | tr -d ' ' >"$WORK/icon-shown"
    cmp -s "$WORK/icon-painted" "$WORK/icon-shown" && pass "icon: the window shows the desktop icon" ||
        fail "icon: the window's icon is not $ICON_PNG ($(wc -l <"$WORK/icon-shown") words)"
    kill -TERM "$GAME_PID" && wait_game_exit 5
fi
cp "$XVFB_LOG" "$ART/reset-audit.log"

# ---- under a window manager another window takes the focus: the game's picture stays ----
start_xvfb 1024x768 -noreset && new_profile inactive
openbox >/dev/null 2>&1 & X_PIDS+=($!)
# _OB_THEME is set once openbox has read its configuration, after its check window.
wait_until 10 sh -c 'xprop -root _OB_THEME | grep -q =' || fail "openbox did not start"
# Seldom, and only on the first runs after a build, the game has lost its display at start here
# ("The connection to the display was lost"): its log is kept and it is started once more.
if ! start_game_again_if_display_lost; then
    :
else
    xdotool windowactivate --sync "$(game_window)" && sleep 0.5
    import -window root "$WORK/active.png"
    xmessage -geometry 300x100+650+500 "another window" & X_PIDS+=($!)
    OTHER=$(timeout 10 xdotool search --sync --name '^xmessage$' | head -n 1)
    xdotool windowactivate --sync "$OTHER"
    # Then moved aside: the part it uncovers must show the game again.
    for step in 1-focus-lost 2-uncovered; do
        [[ $step == 2* ]] && xdotool windowmove --sync "$OTHER" 150 150
        sleep 0.5  # many 20 ms passes of an inactive window
        check "inactive: the other window has the focus" "$OTHER" "$(xdotool getactivewindow)"
        import -window root "$ART/inactive-$step.png"
        read -r x y w h <<<"$(win_box "$OTHER")"
        cover="rectangle $((x - 30)),$((y - 30)) $((x + w + 30)),$((y + h + 30))"  # frame included
        read -r x y w h <<<"$(win_box "$(game_window)")"
        for f in "$ART/inactive-$step.png" "$WORK/active.png"; do
            convert "$f" -fill black -draw "$cover" -crop "${w}x$h+$x+$y" +repage "$f.masked.png"
        done
        check "inactive, $step: game pixels changed outside the other window" 0 \
            "$(compare -metric AE "$ART/inactive-$step.png.masked.png" "$WORK/active.png.masked.png" null: 2>&1)"
    done
    kill -TERM "$GAME_PID" && wait_game_exit 5
fi

# ---- full screen with no window manager: the window covers the screen ----
start_xvfb 1024x768 -noreset && new_profile full-screen && mkdir -p "$(dirname "$INI")"
printf '[Kelvo Dara]\nFullScreen=1\n' >"$INI"
if start_game; then
    # The menu as in a window, scaled: the game's own cursor is all that differs.
    menu_scaled() {
        import -window root "$ART/full-screen-menu.png"
        rmse=$(convert "$ART/full-screen-menu.png" -resize 800x600! png:- |
            compare -metric RMSE - "$ART/windowed-menu.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/')
        awk -v r="$rmse" -v m=$SAME_PICTURE_RMSE 'BEGIN { exit !(r < m) }'
    }
    wait_until 5 menu_scaled && pass "full screen: the whole menu, scaled (RMSE $rmse)" ||
        fail "full screen: not the menu scaled (RMSE $rmse)"
    kill -TERM "$GAME_PID" && wait_game_exit 5
fi

e2e_finish
