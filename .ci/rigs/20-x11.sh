# An X server with a window manager, so that focus and _NET_ACTIVE_WINDOW work.
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$scratch/xdisplay" >"$scratch/xvfb.log" 2>&1 &
rig_pids+=($!)
wait_for 10 test -s "$scratch/xdisplay" || { cat "$scratch/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$scratch/xdisplay")"
export XDG_SESSION_TYPE=x11
wait_for 10 xdpyinfo || { echo "X server $DISPLAY does not answer" >&2; exit 1; }
openbox >"$scratch/openbox.log" 2>&1 &
rig_pids+=($!)
