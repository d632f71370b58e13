# Sourced by test.sh: a PulseAudio null sink for the audio tests when no sound server runs.
# ecolvar_sound_start starts one (and a low-latency silent stream that keeps the sink awake);
# ecolvar_sound_stop stops only what ecolvar_sound_start started.

ecolvar_sound_pids=()
ecolvar_sound_dir=""

ecolvar_sound_start() {
  if pactl info >/dev/null 2>&1; then
    return 0
  fi
  ecolvar_sound_dir=$(mktemp -d)
  export XDG_RUNTIME_DIR="$ecolvar_sound_dir"
  export PULSE_RUNTIME_PATH="$ecolvar_sound_dir/pulse"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disable-shm=yes \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=ecolvar_null rate=44100 channels=2" \
    --log-target=stderr >"$ecolvar_sound_dir/pulseaudio.log" 2>&1 &
  ecolvar_sound_pids+=($!)
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! pactl info >/dev/null 2>&1; then
    echo "test.sh: could not start a PulseAudio null sink; audio tests use the silent output" >&2
    return 0
  fi
  pactl set-default-sink ecolvar_null >/dev/null 2>&1 || true
  # The null sink idles with a long latency; a silent low-latency stream keeps it prompt.
  pacat --latency-msec=20 --format=s16le --rate=44100 --channels=2 </dev/zero >/dev/null 2>&1 &
  ecolvar_sound_pids+=($!)
  export ECOLVAR_TEST_SINK=ecolvar_null
}

ecolvar_sound_stop() {
  local pid
  for pid in "${ecolvar_sound_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  ecolvar_sound_pids=()
  if [ -n "$ecolvar_sound_dir" ]; then
    rm -rf "$ecolvar_sound_dir"
    ecolvar_sound_dir=""
  fi
}
