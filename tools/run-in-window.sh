#!/usr/bin/env bash
# Runs a graphics program of ours (the plotter, the showcase) on this
# terminal. With a display it simply runs. Without one it draws on a private
# virtual display, keeps the latest picture of the graph window while the
# program runs, and leaves it as a PNG file named after the program at the end.
set -u
program=$(realpath "$1")
picture=${PICTURE:-$PWD/$(basename "$program").png}

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program"
fi

echo "No display found: drawing on a private virtual display (1920x1080x24); the picture is saved when the program ends."
export SDL_VIDEODRIVER=x11
export PLOTTER_PROGRAM="$program" PLOTTER_PICTURE="$picture"
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp -noreset" bash -c '
    latest=$(mktemp --suffix=.png)
    # Capture the graph window every half second while the program runs.
    (
        while sleep 0.5; do
            window=$(xdotool search --name "^Graph window application$" 2>/dev/null | head -n 1)
            [[ -n "$window" ]] || continue
            xwd -silent -id "$window" 2>/dev/null | convert xwd:- "png:$latest.new" 2>/dev/null &&
                mv -f "$latest.new" "$latest"
        done
    ) &
    capturer=$!
    "$PLOTTER_PROGRAM"
    status=$?
    kill "$capturer" 2>/dev/null
    wait "$capturer" 2>/dev/null
    if [[ -s "$latest" ]]; then
        mv -f "$latest" "$PLOTTER_PICTURE"
        echo "The graph window'"'"'s last picture: $PLOTTER_PICTURE"
    else
        rm -f "$latest"
        echo "No picture of the graph window was taken."
    fi
    exit $status
'
