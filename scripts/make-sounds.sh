#!/bin/sh
# Writes the built-in prompt sounds under resources/sound: short cues synthesised
# with sox (Debian package "sox"), 16-bit mono at 22050 Hz. Run it again after
# changing a cue; the WAV files are kept in the repository so a build needs no sox.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out="$here/../resources/sound"
mkdir -p "$out"

if ! command -v sox >/dev/null 2>&1; then
    echo "make-sounds: sox is missing; install it with: apt-get install sox" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# -R keeps the output identical from run to run; -D leaves out dither noise.
format="-R -D -r 22050 -c 1 -b 16"

# note FILE SECONDS KIND FREQUENCY GAIN: one tone with a soft attack and release.
# Synthesised at 44100 Hz, the lowest rate sox plucks at, then resampled.
note() {
    # shellcheck disable=SC2086
    sox -R -D -r 44100 -c 1 -n -b 16 "$1" synth "$2" "$3" "$4" \
        fade q 0.008 "$2" 0.06 gain "$5" rate 22050
}

# rest FILE SECONDS: silence between tones.
rest() {
    # shellcheck disable=SC2086
    sox $format -n "$1" trim 0 "$2"
}

# join OUTPUT PIECE...: the pieces one after another, ending in a short fade.
join() {
    target=$1
    shift
    # shellcheck disable=SC2086
    sox -R -D "$@" -b 16 "$target" fade q 0 -0 0.03
}

# connected: a rising major third and fifth, plucked.
note "$work/c1.wav" 0.16 pluck 659 -6
note "$work/c2.wav" 0.16 pluck 831 -6
note "$work/c3.wav" 0.34 pluck 988 -6
join "$out/connected.wav" "$work/c1.wav" "$work/c2.wav" "$work/c3.wav"

# disconnect: the same notes falling.
note "$work/d1.wav" 0.16 pluck 988 -6
note "$work/d2.wav" 0.16 pluck 831 -6
note "$work/d3.wav" 0.34 pluck 659 -6
join "$out/disconnect.wav" "$work/d1.wav" "$work/d2.wav" "$work/d3.wav"

# timeout: three even sine beeps, an alarm clock's voice.
note "$work/t.wav" 0.12 sine 1175 -9
rest "$work/tr.wav" 0.08
join "$out/timeout.wav" "$work/t.wav" "$work/tr.wav" "$work/t.wav" "$work/tr.wav" "$work/t.wav"

# volumeout: two lower beeps, high then low, so it is told apart from timeout.
note "$work/v1.wav" 0.18 sine 880 -9
note "$work/v2.wav" 0.26 sine 587 -9
rest "$work/vr.wav" 0.06
join "$out/volumeout.wav" "$work/v1.wav" "$work/vr.wav" "$work/v2.wav"

# idle: one soft low tone that dies away.
note "$work/i.wav" 0.5 sine 440 -12
join "$out/idle.wav" "$work/i.wav"

for cue in connected disconnect timeout volumeout idle; do
    printf '%-11s %s s\n' "$cue" "$(soxi -D "$out/$cue.wav")"
done
