# Sourced by the end-to-end tests of the window programs (Wine's X11 driver, the Linux program): a virtual
# X display of their own (the first free number), optionally with openbox. Sets DISPLAY; `display_cleanup`
# stops what it started. Needs `work` (a scratch folder) to be set.
display_pids=()
display_cleanup() {
    for pid in "${display_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
# True once openbox manages new windows. It takes over the screen before it is ready and drops the windows
# mapped in between, which then never show: a probe window is mapped until openbox lists it.
display_window_manager_ready() {
    command -v xmessage >/dev/null || { sleep 1; return 0; }
    local probe managed=1
    for _ in $(seq 20); do
        xmessage -name zarkent-display-probe -timeout 5 probe >/dev/null 2>&1 &
        probe=$!
        for _ in $(seq 10); do
            if xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x'; then managed=0; break; fi
            sleep 0.1
        done
        kill "$probe" 2>/dev/null || true
        wait "$probe" 2>/dev/null || true
        [ "$managed" -eq 0 ] && break
    done
    # Back to an empty screen before the test's own windows come.
    for _ in $(seq 50); do
        xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x' || break
        sleep 0.1
    done
    return "$managed"
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
        if ! display_window_manager_ready; then
            echo "openbox does not manage windows: $(cat "$work/openbox.log")" >&2
            return 1
        fi
    fi
}
