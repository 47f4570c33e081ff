#!/usr/bin/env bash
# Hears what the window plays: starts a sound server of its own (PulseAudio with a null output,
# in a private folder, so that no desktop's sound is touched), records the output's monitor
# while COMMAND (the test_play program; under Wine, whose PulseAudio driver reaches the same
# server) plays a tone of 0.4 s rising to half the full level at its end, at volume 100, then
# at 50, then looping, and checks the recording: three sounds, the first whole, the second at
# half its level (measured: 0.5000), the third longer, as a loop stopped late is, and reaching
# the tone's end each time round.
#
#   test_audio.sh COMMAND...
set -euo pipefail
work=$(mktemp -d)
server=""
recorder=""
trap 'kill $recorder $server 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
export PULSE_RUNTIME_PATH=$work/run PULSE_STATE_PATH=$work/state PULSE_SERVER=unix:$work/socket
export HOME=$work # the server's cookie and configuration, nobody else's
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --log-target=stderr --log-level=error \
    -L "module-native-protocol-unix socket=$work/socket auth-anonymous=1" \
    -L "module-null-sink sink_name=sondrel rate=44100 channels=1" \
    -L "module-always-sink" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl set-default-sink sondrel
parec --latency-msec=20 -d sondrel.monitor --raw --format=s16le --rate=44100 --channels=1 >"$work/heard.raw" &
recorder=$!
sleep 0.5
"$@" | tee "$work/said"
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
python3 - "$work/heard.raw" <<'PY'
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
rate = 44100
# The sounds: runs of samples above the noise floor, apart by a tenth of a second of silence.
sounds, start, last = [], None, None
for i, value in enumerate(samples):
    if abs(value) > 300:
        if start is None or i - last > rate // 10:
            if start is not None:
                sounds.append((start, last))
            start = i
        last = i
if start is not None:
    sounds.append((start, last))
peaks = [max(abs(v) for v in samples[a:b + 1]) for a, b in sounds]
lengths = [(b - a) / rate for a, b in sounds]
print("heard", len(sounds), "sounds; peaks", peaks, "; seconds", [round(s, 3) for s in lengths])
if len(sounds) != 3:
    sys.exit("expected three sounds: at volume 100, at 50, and looping")
ratio = peaks[1] / peaks[0]
print(f"volume 50 / volume 100: {ratio:.4f}")
if not 0.49 <= ratio <= 0.51 or peaks[0] < 8000:
    sys.exit("the level does not halve from volume 100 to 50")
if lengths[0] < 0.35 or peaks[0] < 0.97 * 16384:
    sys.exit("the end of the sound was cut off")
if abs(peaks[2] - peaks[0]) > 0.02 * peaks[0]:
    sys.exit("the loop did not play the whole sample")
if lengths[2] < 1.5 * lengths[0]:
    sys.exit("the looping sound did not go on past its sample's end")
PY
