#!/usr/bin/env bash
# Runs a graphics program of ours (the plotter, the showcase) on this
# terminal. With a display it simply runs there. Without one it runs on the
# Windows layer's headless desktop, a virtual screen in memory, and the
# layer saves the graph window's last picture as a PNG file (named after the
# program, or WINAPI_PICTURE) when the window goes. Nothing else is started,
# so nothing is left behind.
set -u
program=$(realpath "$1")

# A DISPLAY left over from elsewhere (an ended ssh session's, say) leads nowhere.
display_reachable() {
    [[ -n "${WAYLAND_DISPLAY:-}" ]] && return 0
    [[ -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1
}

if display_reachable; then
    exec "$program"
fi

export WINAPI_DESKTOP=headless
export WINAPI_PICTURE=${WINAPI_PICTURE:-$PWD/$(basename "$program").png}
echo "No display found: the program draws on a virtual screen, and its window's last picture goes to $WINAPI_PICTURE."
exec "$program"
