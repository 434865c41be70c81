# The secret service: GNOME Keyring on the private session bus, unlocked with
# a throwaway password, so that API keys can be stored and read.
printf 'parlowind-ci' | gnome-keyring-daemon --foreground --unlock --components=secrets \
  >"$scratch/keyring.log" 2>&1 &
rig_pids+=($!)
secret_service_up() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets | grep -q true
}
wait_for 10 secret_service_up || { cat "$scratch/keyring.log"; echo "gnome-keyring did not start" >&2; exit 1; }
