#!/usr/bin/env bash
# Makes every sound of Crystal Caves with sox: short blips as WAV files and the
# music loop as an OGG file, written into sounds/. The files are checked in;
# the game build never runs this script. Run it from anywhere.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/../sounds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# -R: the same noise on every run, so the files only change when this does.
tone() { sox -R -n -r 22050 -c 1 -b 16 "$@"; }

# Effects: 22 kHz mono, quiet enough to sit under the music.
tone "$work/p1.wav" synth 0.05 square 988 vol 0.35
tone "$work/p2.wav" synth 0.10 square 1480 vol 0.35 fade 0 0.10 0.06
sox "$work/p1.wav" "$work/p2.wav" snd_pickup.wav

tone "$work/h1.wav" synth 0.30 sawtooth 320-70 vol 0.5 fade 0 0.30 0.2
tone "$work/h2.wav" synth 0.30 brownnoise vol 0.6 fade 0 0.30 0.25
sox -m "$work/h1.wav" "$work/h2.wav" snd_hurt.wav

tone snd_spark.wav synth 0.14 square 1400-500 vol 0.25 fade 0 0.14 0.08

tone snd_pop.wav synth 0.18 triangle 600-1800 vol 0.4 fade 0 0.18 0.1

tone snd_heal.wav synth 0.25 sine 500-1000 vol 0.4 tremolo 30 60 fade 0 0.25 0.1

notes() {  # notes OUT LENGTH WAVE FREQ...: one note after another
  local out=$1 length=$2 wave=$3
  shift 3
  local parts=() i=0
  for f in "$@"; do
    tone "$work/n$i.wav" synth "$length" "$wave" "$f" vol 0.35 fade 0 "$length" 0.02
    parts+=("$work/n$i.wav")
    i=$((i + 1))
  done
  sox "${parts[@]}" "$out"
}
notes snd_door.wav 0.08 square 523 659 784 1047
notes snd_level.wav 0.11 triangle 523 659 784 1047 784 1047 1319
notes snd_gameover.wav 0.22 triangle 392 370 349 330 262

# The music: four bars of a minor-key tune over a plucked bass, 100 beats a
# minute, which loops without a seam because every voice fills the bars.
beat=0.3
melody=(440 0 523 587 659 0 587 523 494 0 392 440 494 523 494 0
        440 0 523 587 659 0 784 659 587 523 494 523 440 0 0 0)
bass=(110 110 110 110 87.31 87.31 87.31 87.31 98 98 98 98 82.41 82.41 82.41 82.41)
parts=()
for i in "${!melody[@]}"; do
  f=${melody[$i]}
  if [[ $f == 0 ]]; then
    tone "$work/m$i.wav" trim 0 $beat
  else
    tone "$work/m$i.wav" synth $beat square "$f" vol 0.16 fade 0.01 $beat 0.12
  fi
  parts+=("$work/m$i.wav")
done
sox "${parts[@]}" "$work/melody.wav"
parts=()
for i in "${!bass[@]}"; do
  tone "$work/b$i.wav" synth "$(echo "$beat * 2" | bc)" pluck "${bass[$i]}" vol 0.5
  parts+=("$work/b$i.wav")
done
sox "${parts[@]}" "$work/bass.wav"
# A soft hat on every beat keeps the time.
tone "$work/hat.wav" synth 0.04 whitenoise vol 0.08 fade 0 0.04 0.03 pad 0 0.26
hats=()
for _ in $(seq 32); do hats+=("$work/hat.wav"); done
sox "${hats[@]}" "$work/hats.wav"
sox -m "$work/melody.wav" "$work/bass.wav" "$work/hats.wav" -C 3 snd_music.ogg
