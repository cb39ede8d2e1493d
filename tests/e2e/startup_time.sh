#!/usr/bin/env bash
# Start-up time of the real game under Xvfb: from the exec of the process to the log line of
# the first drawn main-menu frame (read from its stderr as it arrives); prints every run and
# the median, and fails when the median is over the limit.
# Usage: startup_time.sh GAME_BINARY ARTIFACTS_DIR [RUNS=10] [LIMIT_MS=500]
set -u
E2E_SCRIPT=$(readlink -f "$0")
source "$(dirname "$E2E_SCRIPT")/e2e_lib.sh"
e2e_setup "${1:?game binary}" "${2:?artifacts folder}" startup_time "${3:-10}" "${4:-500}"
RUNS=${3:-10}
LIMIT_MS=${4:-500}
readonly FIRST_FRAME_LINE="First frame drawn (screen 0)"

# Prints the arrival time of the first-frame line, then drains the rest of the stream.
stamp_first_frame() {
    local line stamped=0
    while IFS= read -r line; do
        if ((!stamped)) && [[ $line == *"$FIRST_FRAME_LINE"* ]]; then
            echo "$EPOCHREALTIME"
            stamped=1
        fi
    done
}

times=()
for ((run = 1; run <= RUNS; run++)); do
    new_profile "run$run"
    start_file=$WORK/start-$run frame_file=$WORK/frame-$run
    (
        echo "$EPOCHREALTIME" >"$start_file"
        exec env SDL_AUDIODRIVER=dummy "$GAME"
    ) 2> >(stamp_first_frame >"$frame_file") >/dev/null &
    GAME_PID=$!
    frame_seen() { [[ -s $frame_file ]]; }
    if ! wait_until 20 frame_seen; then
        fail "run $run: no first frame within 20 s"
        kill -KILL "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        GAME_PID=""
        continue
    fi
    ms=$(awk -v a="$(cat "$start_file")" -v b="$(cat "$frame_file")" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
    times+=("$ms")
    echo "run $run: ${ms} ms"
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit 5
done

if ((${#times[@]} > 0)); then
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END {
        print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    echo "start-up to first main-menu frame: median ${median} ms over ${#times[@]} runs (limit ${LIMIT_MS} ms), load: $(cut -d' ' -f1-3 /proc/loadavg)" |
        tee "$ART/startup_time.txt"
    awk -v m="$median" -v l="$LIMIT_MS" 'BEGIN { exit !(m <= l) }' && pass "median start-up within ${LIMIT_MS} ms" ||
        fail "median start-up ${median} ms is over ${LIMIT_MS} ms"
fi
e2e_finish
