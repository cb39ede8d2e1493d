#!/usr/bin/env bash
# The real game under Xvfb driven by X clicks and keys: menus, every setup selector, the
# settings file, help/about scrolling, exit code 18, and ALT+ENTER keeping the screen.
# Usage: menus_e2e.sh GAME_BINARY ARTIFACTS_DIR   (exit 77: no xvfb-run/xdotool)
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
source "$(dirname "$E2E_SCRIPT")/menu_layout.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" menus

# Laws of the text pages: a page shows 26 lines; help has 82, about 101.
readonly PAGE_LINES=26 HELP_LINES=82 ABOUT_LINES=101
readonly HELP_LAST_FIRST=$((HELP_LINES - PAGE_LINES)) ABOUT_LAST_FIRST=$((ABOUT_LINES - PAGE_LINES))
readonly HOLD_LINE_MS=20  # a held arrow scrolls one line per 20 ms
readonly EXIT_CODE=18
readonly SCREEN_RECT="0 0 800 600"

layout_init "$SRC_DIR" "$RES_PACK" "$WORK" || exit 1
layout_selectors || exit 1

# Click points, all derived from the menu headers and the pack's picture sizes.
for b in single multi setup help about exit; do
    p=$(button_point $b kMainButtons) || exit 1
    declare "MAIN_$b=$p"
done
SETUP_BLOCKERS=$(all_selector_rects)
SETUP_mainmnu=$(button_point mainmnu kSetupButtons "$SETUP_BLOCKERS") || exit 1
PAGE_mainmnu=$(button_point mainmnu kPageButtons) || exit 1
PAGE_arrup=$(button_point arrup kPageButtons) || exit 1
PAGE_arrdown=$(button_point arrdown kPageButtons) || exit 1
LEVEL_back=$(button_point back kLevelButtons) || exit 1
# A resting place for the pointer that no button of the main, level or page screens covers,
# so screenshots taken there show no hover highlight.
ALL_BUTTONS=$(for b in single multi setup help about exit; do button_rect $b kMainButtons; done
    for b in mainmnu arrup arrdown; do button_rect $b kPageButtons; done
    for b in beginer expert proffi back; do button_rect $b kLevelButtons; done)
NEUTRAL=$(to_x $(free_point "$SCREEN_RECT" "$ALL_BUTTONS")) || exit 1
note "neutral pointer place $NEUTRAL; single at $MAIN_single; setup mainmnu at $SETUP_mainmnu"

park() { move_to $NEUTRAL; }

# ---------------------------------------------------------------------------------------
# Run 1: a fresh profile with no settings file.
new_profile fresh
start_game || { e2e_finish; }
[[ -f $INI ]] && fail "a settings file appeared at start-up" || pass "start-up writes no settings file"

park
wait_stable && MAIN=$LAST_SHOT
keep_shot "$MAIN" 01-main

# The X mapping: hovering "single" changes pixels only inside its rect, at (x, 599 - y).
read -r l b w h <<<"$(button_rect single kMainButtons)"
read -r x0 y0 <<<"$(to_x "$l" $((b + h - 1)))"
read -r x1 y1 <<<"$(to_x $((l + w - 1)) "$b")"
move_to $MAIN_single
if wait_screen_changes "$MAIN" "hovering 'single' highlights it"; then
    read -r dl dt dr db <<<"$(diff_box "$MAIN" "$LAST_SHOT")"
    if ((dl >= x0 && dt >= y0 && dr <= x1 && db <= y1)); then
        pass "hover change ($dl,$dt)-($dr,$db) lies in the button's X rect ($x0,$y0)-($x1,$y1)"
    else
        fail "hover change ($dl,$dt)-($dr,$db) is outside the button's X rect ($x0,$y0)-($x1,$y1)"
    fi
    keep_shot "$LAST_SHOT" 02-main-hover-single
fi

# ---- setup: every selector through all its values ----
click_at $MAIN_setup
wait_screen_changes "$MAIN" "'setup' leaves the main menu"
wait_stable && keep_shot "$LAST_SHOT" 03-setup

# cycle_list LIST: clicks through every item; each click shows something new, and the last
# one brings back the first picture.
cycle_list() {
    local list=$1 point n ref prev i
    point=$(selector_point "$list")
    n=$(wc -l <<<"${SELECTOR_RECTS[$list]}")
    move_to $point
    wait_stable || return
    ref=$LAST_SHOT prev=$LAST_SHOT
    for ((i = 1; i < n; i++)); do
        xdotool click 1
        wait_screen_changes "$prev" "$list: click $i shows the next item" || return
        wait_stable || return
        prev=$LAST_SHOT
    done
    xdotool click 1
    wait_screen_is "$ref" "$list: after $n clicks the list is back at its first item"
}

for list in "${SELECTOR_ORDER[@]}"; do
    [[ $list == LIST_WINDOW ]] && continue
    cycle_list "$list"
done

# The window selector switches the window: full screen writes FullScreen=1, back writes 0,
# and the setup screen stays current.
point=$(selector_point LIST_WINDOW)
move_to $point
wait_stable && SETUP_WINDOWED=$LAST_SHOT
scenes=$(log_count "Scene ready")
xdotool click 1
if wait_until 10 ini_is FullScreen 1; then pass "window selector: FullScreen=1 saved"; else fail "window selector: FullScreen is '$(ini_value FullScreen)', not 1"; fi
wait_until 10 scene_rebuilt_since "$scenes" || fail "window selector: the scene was not rebuilt"
wait_stable && keep_shot "$LAST_SHOT" 04-setup-fullscreen
same_image "$LAST_SHOT" "$SETUP_WINDOWED" && fail "window selector: the full-screen setup looks the same as the windowed one"
scenes=$(log_count "Scene ready")
xdotool click 1
if wait_until 10 ini_is FullScreen 0; then pass "window selector: FullScreen=0 saved"; else fail "window selector: FullScreen is '$(ini_value FullScreen)', not 0"; fi
wait_until 10 scene_rebuilt_since "$scenes" || fail "window selector: the scene was not rebuilt"
wait_screen_is "$SETUP_WINDOWED" "window selector: back in a window, setup shows as before"

# Non-default choices: clicks per list from the fresh start (sky starts on "stars off"
# for the missing key and its full cycle above already left it at 0).
declare -A EXTRA_CLICKS=([LIST_BOARD]=2 [LIST_CHECKS]=1 [LIST_SIDE]=1 [LIST_TURN_RULE]=1
    [LIST_GAME_MODE]=1 [LIST_SKY]=0)
for list in "${!EXTRA_CLICKS[@]}"; do
    move_to $(selector_point "$list")
    for ((i = 0; i < EXTRA_CLICKS[$list]; i++)); do
        wait_stable
        prev=$LAST_SHOT
        xdotool click 1
        wait_screen_changes "$prev" "$list: choice click $((i + 1))"
    done
done
wait_stable && keep_shot "$LAST_SHOT" 05-setup-chosen
[[ $(ini_value BoardType) == 2 ]] && fail "the choices were saved before 'mainmnu'"

click_at $SETUP_mainmnu
wait_until 5 ini_is BoardType 2
declare -A EXPECTED_INI=([GameMode]=1 [TurnType]=1 [CheckType]=2 [BoardType]=2 [MyWhite]=0
    [FullScreen]=0 [StarType]=0 [DepthBits]=32)
for key in GameMode TurnType CheckType BoardType MyWhite FullScreen StarType DepthBits; do
    check "ini $key after 'mainmnu'" "${EXPECTED_INI[$key]}" "$(ini_value $key)"
done
check "ini section" "[Kelvo Dara]" "$(head -n 1 "$INI" | tr -d '\r')"
check "ini key count" 8 "$(grep -c '=' "$INI")"
cp "$INI" "$ART/kelvodara-run1.ini"
park
wait_screen_is "$MAIN" "'mainmnu' returns to the main menu"

# ---- help and about: keys, wheel and held arrows scroll, and stop at both ends ----

# scroll_page BUTTON_POINT LINES_TO_END NAME: the page must be on its first line, pointer parked.
scroll_page() {
    local top=$1 last=$2 name=$3 end
    press_keys $(repeat_words $((last + 4)) Down)
    wait_screen_changes "$top" "$name: DOWN keys scroll"
    wait_stable && end=$LAST_SHOT
    keep_shot "$end" "$name-end"
    press_keys $(repeat_words $((last - 1)) Up)
    wait_stable
    same_image "$LAST_SHOT" "$top" && fail "$name: $((last - 1)) UP keys from the end already reach the top"
    press_keys Up
    wait_screen_is "$top" "$name: the last page starts at line $last (UP $last times returns to the top)"
    press_keys Up Up
    wait_stable
    same_image "$LAST_SHOT" "$top" && pass "$name: UP at the top stays" || fail "$name: UP at the top moved"
    END_SHOT=$end
}

click_at $MAIN_help
wait_screen_changes "$MAIN" "'help' opens the help screen"
park
wait_stable && HELP_TOP=$LAST_SHOT
keep_shot "$HELP_TOP" 06-help
scroll_page "$HELP_TOP" $HELP_LAST_FIRST help
HELP_END=$END_SHOT

xdotool click --repeat $((HELP_LAST_FIRST + 4)) --delay 10 5
wait_screen_is "$HELP_END" "help: the wheel toward the user scrolls to the end"
xdotool click --repeat $((HELP_LAST_FIRST + 4)) --delay 10 4
wait_screen_is "$HELP_TOP" "help: the wheel away from the user scrolls back to the top"

# hold_button MS X Y: presses the left button there for MS milliseconds, then parks.
hold_button() {
    move_to "$2" "$3"
    xdotool mousedown 1
    sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"
    xdotool mouseup 1
    park
}
hold_button 300 $PAGE_arrup
wait_stable
if ! same_image "$LAST_SHOT" "$HELP_TOP" && ! same_image "$LAST_SHOT" "$HELP_END"; then
    pass "help: a short hold of 'arrup' scrolls part of the way"
else
    fail "help: a 0.3 s hold of 'arrup' did not stop between the ends"
fi
hold_button $((HELP_LAST_FIRST * HOLD_LINE_MS + 1000)) $PAGE_arrup
wait_screen_is "$HELP_END" "help: holding 'arrup' scrolls to the end and stops"
hold_button $((HELP_LAST_FIRST * HOLD_LINE_MS + 1000)) $PAGE_arrdown
wait_screen_is "$HELP_TOP" "help: holding 'arrdown' scrolls back to the top"

press_keys Down Down Down
wait_screen_changes "$HELP_TOP" "help: scrolled before leaving"
click_at $PAGE_mainmnu
park
wait_screen_is "$MAIN" "help 'mainmnu' returns to the main menu"
click_at $MAIN_help
park
wait_screen_is "$HELP_TOP" "help opens again on its first line"
press_keys Escape
wait_screen_is "$MAIN" "ESC leaves help for the main menu"

click_at $MAIN_about
wait_screen_changes "$MAIN" "'about' opens the about screen"
park
wait_stable && ABOUT_TOP=$LAST_SHOT
keep_shot "$ABOUT_TOP" 07-about
scroll_page "$ABOUT_TOP" $ABOUT_LAST_FIRST about
hold_button $((ABOUT_LAST_FIRST * HOLD_LINE_MS + 1000)) $PAGE_arrup
wait_screen_is "$END_SHOT" "about: holding 'arrup' stops at the end"
click_at $PAGE_mainmnu
park
wait_screen_is "$MAIN" "about 'mainmnu' returns to the main menu"

# ---- level screen and exit ----
click_at $MAIN_single
park
wait_screen_changes "$MAIN" "'single' opens the level screen"
wait_stable && keep_shot "$LAST_SHOT" 08-level-one
click_at $LEVEL_back
park
wait_screen_is "$MAIN" "'back' returns to the main menu"

click_at $MAIN_multi
park
wait_screen_changes "$MAIN" "'multi' opens the two-player level screen"
wait_stable && keep_shot "$LAST_SHOT" 08-level-two
press_keys Escape
wait_screen_is "$MAIN" "ESC on the level screen returns to the main menu"

click_at $MAIN_exit
wait_game_exit 5
check "exit code of the 'exit' button" $EXIT_CODE "$GAME_RC"
cp "$LOG" "$ART/kelvodara-run1.log"
check "GL errors in the log" 0 "$(log_count "GL error")"

# ---------------------------------------------------------------------------------------
# Run 2: ALT+ENTER to full screen and back keeps the screen and its scroll position.
new_profile altenter
start_game || e2e_finish
park
wait_stable && MAIN2=$LAST_SHOT
click_at $MAIN_help
park
wait_screen_changes "$MAIN2" "run 2: help opens"
wait_stable && HELP2_TOP=$LAST_SHOT
press_keys Down Down Down
wait_screen_changes "$HELP2_TOP" "run 2: help scrolled 3 lines"
wait_stable && WINDOWED=$LAST_SHOT
keep_shot "$WINDOWED" 09-help-windowed

scenes=$(log_count "Scene ready")
press_keys alt+Return
if wait_until 10 ini_is FullScreen 1; then pass "ALT+ENTER: FullScreen=1 saved"; else fail "ALT+ENTER: FullScreen is '$(ini_value FullScreen)', not 1"; fi
wait_until 10 scene_rebuilt_since "$scenes" || fail "ALT+ENTER: the scene was not rebuilt"
# Full screen draws the game's own cursor at the pointer: leave a box around it out. The new
# window's first frame compiles its shaders, which takes seconds in a sanitized build, and
# "LOADING" stays on the screen meanwhile: poll for the page rather than for a still screen.
read -r px py <<<"$NEUTRAL"
box="$((px - 48)),$((py - 48)) $((px + 48)),$((py + 48))"
shows_windowed_page_() { LAST_SHOT=$(shot); same_image "$(masked "$LAST_SHOT" "$box")" "$(masked "$WINDOWED" "$box")"; }
if wait_until 20 shows_windowed_page_; then
    pass "ALT+ENTER: full screen shows the same help page (cursor box left out)"
else
    fail "ALT+ENTER: full screen shows another picture ($(pixels_differing "$(masked "$LAST_SHOT" "$box")" "$(masked "$WINDOWED" "$box")") pixels)"
fi
FULL=$LAST_SHOT
keep_shot "$FULL" 10-help-fullscreen
same_image "$FULL" "$WINDOWED" && fail "ALT+ENTER: no game cursor drawn in full screen"

scenes=$(log_count "Scene ready")
press_keys alt+Return
if wait_until 10 ini_is FullScreen 0; then pass "ALT+ENTER again: FullScreen=0 saved"; else fail "ALT+ENTER again: FullScreen is '$(ini_value FullScreen)', not 0"; fi
wait_until 10 scene_rebuilt_since "$scenes" || fail "ALT+ENTER again: the scene was not rebuilt"
wait_screen_is "$WINDOWED" "ALT+ENTER again: the window shows the same help page"
# Leaving a window, which never registered the hot key, and returning from full screen both
# release it without an error line.
check "hot-key error lines after two switches" 0 "$(log_count "unregister HotKey")"
check "hot-key registration failures" 0 "$(log_count "Can't register HotKey ALT+TAB")"

press_keys Escape
park
wait_screen_is "$MAIN2" "run 2: ESC returns to the main menu"
click_at $MAIN_exit
wait_game_exit 5
check "run 2 exit code" $EXIT_CODE "$GAME_RC"
cp "$LOG" "$ART/kelvodara-run2.log"
e2e_finish
