# Sourced by the Windows window tests: a virtual X display of their own (the first free number),
# optionally with openbox, for Wine's X11 driver. Sets DISPLAY; `display_cleanup` stops what it started.
# Needs `work` (a scratch folder) to be set.
display_pids=()
display_cleanup() {
    for pid in "${display_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
# display_start [--window-manager]
display_start() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    display_pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    exec 3>&-
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=:$(head -n1 "$work/display")
    if [ "${1:-}" = --window-manager ]; then
        openbox >"$work/openbox.log" 2>&1 &
        display_pids+=($!)
    fi
}
