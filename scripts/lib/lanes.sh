# Runs the CTest entries of one build on several lanes at once. Most of a Wine test's time is spent
# waiting for the assistant's one-second tick, so lanes overlap well even on two cores. Each lane
# is a prefix of its own (da_make_lanes) with its own Xvfb and wineserver; a lane takes the next
# entry from a shared queue as soon as it is free. Needs common.sh.

# The entries of a build, the end-to-end ones (the longest) first.
da_lane_queue() {
    local names
    names=$(ctest --test-dir "$1" -N | sed -n 's/^ *Test *#[0-9]*: *//p')
    grep '^e2e_' <<<"$names" || true
    grep -v '^e2e_' <<<"$names" || true
}

da_lane_worker() {
    local lane=$1 build=$2 work=$3 index name
    DA_PREFIX=$DA_BUILD/lanes/$lane/wineprefix
    trap da_stop_all EXIT
    trap 'exit 143' INT TERM
    da_start_xvfb --private
    da_start_wineserver
    exec 8>"$work/queue.lock"
    while :; do
        flock 8
        index=$(($(cat "$work/next") + 1))
        echo "$index" >"$work/next"
        flock -u 8
        name=$(sed -n "${index}p" "$work/queue")
        [ -n "$name" ] || break
        local started=$SECONDS
        if ctest --test-dir "$build" -R "^${name}\$" --output-on-failure >"$work/$name.log" 2>&1; then
            echo "passed $((SECONDS - started)) s (lane $lane)" >"$work/$name.result"
        else
            echo "FAILED $((SECONDS - started)) s (lane $lane)" >"$work/$name.result"
        fi
    done
}

# da_run_lanes COUNT BUILD: every entry of BUILD; prints each outcome, the logs of failures and a
# closing "N passed, N failed" line; returns non-zero when any failed.
da_run_lanes() {
    local count=$1 build=$2 work=$DA_BUILD/lanes/run lane pids=() passed=0 failed=0 name
    rm -rf "$work"
    mkdir -p "$work"
    da_lane_queue "$build" >"$work/queue"
    echo 0 >"$work/next"
    for lane in $(seq 1 "$count"); do
        da_lane_worker "$lane" "$build" "$work" &
        pids+=("$!")
    done
    trap 'kill "${pids[@]}" 2>/dev/null; wait' INT TERM
    wait "${pids[@]}" || true
    trap - INT TERM
    while IFS= read -r name; do
        if [ ! -f "$work/$name.result" ]; then
            echo "$name: not run"
            failed=$((failed + 1))
        elif grep -q '^passed' "$work/$name.result"; then
            echo "$name: $(cat "$work/$name.result")"
            passed=$((passed + 1))
        else
            echo "$name: $(cat "$work/$name.result")"
            sed 's/^/    /' "$work/$name.log"
            failed=$((failed + 1))
        fi
    done <"$work/queue"
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
