#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: every file lands where the desktop looks for it, the
# desktop entry, metadata and manual page validate, and the installed game finds its pack in
# ../share/kelvodara and draws its first menu frame; without the pack it names every place searched.
# Where lintian is installed, the Debian package of a build for /usr passes it.
# Usage: install_test.sh BUILD_DIR COMPILED_DATA_DIR ARTIFACTS_DIR [BINDIR]
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e/e2e_lib.sh"

BUILD=$(readlink -f "${1:?build folder}")
COMPILED_DATA_DIR=${2:?data folder compiled into the game}
ART=${3:?artifacts folder}/install
BINDIR=${4:-bin}  # the game's folder under the prefix
readonly ICON_SIZES="16 32 48 64 128 256"  # the hicolor sizes we ship
readonly APPSTREAM_ID=example.kelvodara.KelvoDara
readonly START_TIMEOUT_S=30

for tool in cmake identify groff desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
rm -rf "$ART"
mkdir -p "$ART"
WORK=$(mktemp -d /tmp/kd-install.XXXXXX)
# Sanitized builds: system-library leaks are suppressed, our own still end the run.
export LSAN_OPTIONS="suppressions=$(dirname "$E2E_SCRIPT")/e2e/lsan_system.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
trap e2e_cleanup EXIT
PREFIX=$WORK/prefix

if ! cmake --install "$BUILD" --prefix "$PREFIX" >"$ART/install.out" 2>&1; then
    cat "$ART/install.out"
    echo "FAIL: cmake --install"
    exit 1
fi
note "installed into $PREFIX: $(grep -c Installing "$ART/install.out") files"

# ---- the files ----
BIN=$PREFIX/$BINDIR/kelvodara
PACK=$PREFIX/share/kelvodara/res.dat
DESKTOP=$PREFIX/share/applications/kelvodara.desktop
METAINFO=$PREFIX/share/metainfo/$APPSTREAM_ID.metainfo.xml
MANPAGE=$PREFIX/share/man/man6/kelvodara.6.gz
DOCS=$PREFIX/share/doc/kelvodara

[[ -x $BIN ]] && pass "$BINDIR/kelvodara is executable" || fail "no executable $BINDIR/kelvodara"
if cmp -s "$PACK" "$BUILD/res.dat"; then pass "share/kelvodara/res.dat is the built pack"; else fail "share/kelvodara/res.dat missing or not the built pack"; fi
for f in "$DESKTOP" "$METAINFO" "$MANPAGE" "$DOCS/copyright" "$DOCS/changelog.gz"; do
    [[ -s $f ]] && pass "${f#"$PREFIX"/} installed" || fail "${f#"$PREFIX"/} missing"
done
for s in $ICON_SIZES; do
    icon=$PREFIX/share/icons/hicolor/${s}x$s/apps/kelvodara.png
    check "icon ${s}x$s" "PNG ${s}x$s" "$(identify -format '%m %wx%h' "$icon" 2>&1)"
done
extra=$(cd "$PREFIX" && find . -type f | sed 's|^\./||' | grep -vE "^($BINDIR/kelvodara|share/kelvodara/res\.dat|share/applications/kelvodara\.desktop|share/metainfo/[^/]+\.metainfo\.xml|share/man/man6/kelvodara\.6\.gz|share/doc/kelvodara/(copyright|changelog\.gz)|share/icons/hicolor/[0-9]+x[0-9]+/apps/kelvodara\.png)$")
check "nothing else installed" "" "$extra"

# ---- the desktop entry, metadata and manual page ----
desktop_key() { sed -nE "s/^$1=(.*)$/\1/p" "$DESKTOP" | head -n 1; }
check "the desktop entry starts the installed binary" kelvodara "$(desktop_key Exec)"
check "the desktop entry names the installed icon" kelvodara "$(desktop_key Icon)"
check "the metadata launches the installed desktop entry" kelvodara.desktop \
    "$(sed -nE 's|.*<launchable type="desktop-id">(.*)</launchable>.*|\1|p' "$METAINFO")"
out=$(desktop-file-validate "$DESKTOP" 2>&1) && [[ -z $out ]] && pass "desktop-file-validate accepts it" ||
    fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$METAINFO" 2>&1) && pass "appstreamcli validate accepts it" ||
    fail "appstreamcli validate: $out"
out=$(zcat "$MANPAGE" | groff -man -ww -z 2>&1)
[[ -z $out ]] && pass "the manual page formats without warnings" || fail "groff: $out"

# ---- the installed game ----
# The offscreen video driver gives a real GL context without an X server; an error goes to
# stderr instead of a box.
run_installed() {
    SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$BIN" >"$ART/game-$1.out" 2>&1 &
    GAME_PID=$!
}

new_profile installed
run_installed installed
if wait_until $START_TIMEOUT_S log_has "First frame drawn (screen 0)"; then
    pass "the installed game draws its first menu frame"
else
    fail "no first frame within $START_TIMEOUT_S s; log: $(tail -n 5 "$LOG" 2>/dev/null)"
fi
log_has "Resource pack $PACK" && pass "it reads the pack from share/kelvodara" ||
    fail "it did not log the pack $PACK: $(grep -F 'Resource pack' "$LOG" 2>/dev/null)"
log_has "Scene ready" && pass "the scene was built" || fail "no 'Scene ready' in the log"
cp "$LOG" "$ART/installed.log" 2>/dev/null
kill -KILL "$GAME_PID" 2>/dev/null
wait "$GAME_PID" 2>/dev/null
GAME_PID=""

# Without the pack: unless a copy lies in a data folder searched later, start-up fails and the
# message names every place in order.
later_copy=""
for dir in "$COMPILED_DATA_DIR" /usr/share/kelvodara; do
    [[ -e $dir/res.dat ]] && later_copy=$dir/res.dat
done
if [[ -n $later_copy ]]; then
    note "$later_copy exists on this machine: the missing-pack start is not tried"
else
    rm "$PACK"
    new_profile missing
    run_installed missing
    wait_game_exit $START_TIMEOUT_S
    check "without its pack the game ends with code" 0 "$GAME_RC"
    message=$(grep -F -A 8 "was not found" "$ART/game-missing.out" | tr '\n' ' ')  # a place a line
    note "message: $message"
    rest=$message
    named=""
    for place in "$PREFIX/$BINDIR/res.dat" "$PREFIX/share/kelvodara/res.dat" "$COMPILED_DATA_DIR/res.dat" /usr/share/kelvodara/res.dat; do
        [[ " $named " == *" $place "* ]] && continue  # each place is searched once
        named="$named $place"
        if [[ $rest == *"$place"* ]]; then
            pass "the message names $place"
            rest=${rest#*"$place"}
        else
            fail "the message does not name $place (in this order): $message"
        fi
    done
fi

# ---- the Debian package ----
if ! command -v lintian >/dev/null; then
    note "lintian is not installed: the Debian package is not checked"
elif [[ $BINDIR != games ]]; then
    note "the build is not configured for /usr: the Debian package is not checked"
elif ! (cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb") >"$ART/cpack.out" 2>&1; then
    fail "cpack -G DEB: $(tail -n 5 "$ART/cpack.out")"
else
    out=$(lintian --tag-display-limit 0 "$WORK"/deb/*.deb 2>&1 | grep -v '^running with root privileges')
    [[ -z $out ]] && pass "lintian accepts the Debian package" || fail "lintian: $out"
fi

check_sanitizer_reports
if ((E2E_FAILS > 0)); then
    echo "$E2E_FAILS check(s) failed; logs in $ART"
    exit 1
fi
echo "all checks passed; logs in $ART"
