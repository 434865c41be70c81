# A real PulseAudio daemon whose microphone hears exactly what the tests
# write: a pipe source ("fifomic", s16le, 16 kHz, mono) fed from a FIFO, and a
# null sink ("speakers") whose monitor stands for system audio. Tests may load
# and unload further modules with pactl.
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
mkdir -p "$PULSE_RUNTIME_PATH" "$scratch/pulse"
chmod 0700 "$PULSE_RUNTIME_PATH"
# As root it warns that it is not meant to run as root, and runs.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disallow-module-loading=no \
  -L "module-native-protocol-unix auth-anonymous=1" \
  -L "module-null-sink sink_name=speakers" \
  -L "module-pipe-source source_name=fifomic file=$scratch/pulse/mic.fifo format=s16le rate=16000 channels=1" \
  >"$scratch/pulseaudio.log" 2>&1 &
rig_pids+=($!)
export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
wait_for 10 pactl info || { cat "$scratch/pulseaudio.log"; echo "PulseAudio did not start" >&2; exit 1; }
wait_for 5 test -p "$scratch/pulse/mic.fifo" || { echo "the pipe source made no FIFO" >&2; exit 1; }
pactl set-default-source fifomic
pactl set-default-sink speakers
# Keep a writer on the FIFO so the source waits for samples instead of seeing
# the end of its input between tests.
exec 7<>"$scratch/pulse/mic.fifo"
export PARLOWIND_TEST_MIC_FIFO="$scratch/pulse/mic.fifo"
