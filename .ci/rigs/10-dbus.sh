# A private D-Bus session bus: accessibility, the secret service and
# Parlowind's control channel live on it.
dbus_info=$(dbus-daemon --session --fork --nosyslog --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(printf '%s\n' "$dbus_info" | sed -n 1p)
rig_pids+=("$(printf '%s\n' "$dbus_info" | sed -n 2p)")
