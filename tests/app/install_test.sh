#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: every file lands where the desktop looks for it, the
# desktop entry, metadata and manual page validate, and the installed game finds its pack in
# ../share/kelvodara and draws its first menu frame. Where lintian is installed, the Debian
# package of a build for /usr passes it.
# Usage: install_test.sh BUILD_DIR COMPILED_DATA_DIR ARTIFACTS_DIR [BINDIR]
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/../e2e/e2e_lib.sh"

BUILD=$(readlink -f "${1:?build folder}")
ART=${3:?artifacts folder}/install
BINDIR=${4:-bin}  # the game's folder under the prefix
readonly START_TIMEOUT_S=30

for tool in cmake identify groff desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
rm -rf "$ART"
mkdir -p "$ART"
WORK=$(mktemp -d /tmp/kd-install.XXXXXX)
# Sanitized builds: system-library leaks are suppressed, our own still end the run.
export LSAN_OPTIONS="suppressions=$(dirname "$E2E_SCRIPT")/../e2e/lsan_system.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
trap e2e_cleanup EXIT
PREFIX=$WORK/prefix
cmake --install "$BUILD" --prefix "$PREFIX" >"$ART/install.out" 2>&1 || { cat "$ART/install.out"; echo "FAIL: cmake --install"; exit 1; }

# ---- the files: exactly these, the pack the built one, every icon a PNG of its size ----
BIN=$PREFIX/$BINDIR/kelvodara
PACK=$PREFIX/share/kelvodara/res.dat
DESKTOP=$PREFIX/share/applications/kelvodara.desktop
METAINFO=$(ls "$PREFIX"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
[[ -x $BIN ]] && pass "$BINDIR/kelvodara is executable" || fail "no executable $BINDIR/kelvodara"
cmp -s "$PACK" "$BUILD/res.dat" && pass "share/kelvodara/res.dat is the built pack" || fail "share/kelvodara/res.dat is not the built pack"
for s in 16 32 48 64 128 256; do
    check "icon ${s}x$s" "PNG ${s}x$s" "$(identify -format '%m %wx%h' "$PREFIX/share/icons/hicolor/${s}x$s/apps/kelvodara.png" 2>&1)"
done
check "installed files" "$BINDIR/kelvodara share/applications/kelvodara.desktop share/doc/kelvodara/changelog.gz share/doc/kelvodara/copyright share/kelvodara/res.dat share/man/man6/kelvodara.6.gz ${METAINFO#"$PREFIX"/}" \
    "$(cd "$PREFIX" && find . -type f ! -path './share/icons/*' | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"

# ---- the desktop entry, metadata and manual page ----
check "the desktop entry starts and shows the installed game" "kelvodara kelvodara" \
    "$(sed -nE 's/^(Exec|Icon)=(.*)$/\2/p' "$DESKTOP" | tr '\n' ' ' | sed 's/ $//')"
check "the metadata launches the desktop entry" kelvodara.desktop \
    "$(sed -nE 's|.*<launchable type="desktop-id">(.*)</launchable>.*|\1|p' "$METAINFO")"
check "desktop-file-validate" "" "$(desktop-file-validate "$DESKTOP" 2>&1)"
out=$(appstreamcli validate --no-net "$METAINFO" 2>&1) && pass "appstreamcli validate accepts it" || fail "appstreamcli: $out"
check "groff on the manual page" "" "$(zcat "$PREFIX/share/man/man6/kelvodara.6.gz" | groff -man -ww -z 2>&1)"

# ---- the installed game ----
new_profile installed
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$BIN" >"$ART/game.out" 2>&1 &
GAME_PID=$!
wait_until $START_TIMEOUT_S log_has "First frame drawn (screen 0)" && pass "the installed game draws its first menu frame" ||
    fail "no first frame within $START_TIMEOUT_S s; log: $(tail -n 5 "$LOG" 2>/dev/null)"
log_has "Resource pack $PACK" && pass "it reads the pack from share/kelvodara" ||
    fail "it did not log the pack $PACK: $(grep -F 'Resource pack' "$LOG" 2>/dev/null)"
cp "$LOG" "$ART/installed.log" 2>/dev/null

# ---- the Debian package ----
if command -v lintian >/dev/null && [[ $BINDIR == games ]]; then
    if (cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb") >"$ART/cpack.out" 2>&1; then
        check "lintian" "" "$(lintian --tag-display-limit 0 "$WORK"/deb/*.deb 2>&1 | grep -v '^running with root privileges')"
    else
        fail "cpack -G DEB: $(tail -n 5 "$ART/cpack.out")"
    fi
fi

check_sanitizer_reports
((E2E_FAILS > 0)) && { echo "$E2E_FAILS check(s) failed; logs in $ART"; exit 1; }
echo "all checks passed; logs in $ART"
