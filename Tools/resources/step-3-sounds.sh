# Sound effects: the saber switch (WAV), six swooshes and five clashes (AIFF), synthesised with sox,
# and the narwhal's two spoken hints (espeak-ng). All mono, 16-bit, 22050 Hz, under two seconds.
# -R keeps sox repeatable (fixed seeds, fixed AIFF time stamp); -D turns dither off.
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
SOX=(sox -R -D --no-glob)
RATE=22050

calc() { awk "BEGIN { print $1 }"; }   # awk, not bc: bc is not always installed

# finish IN OUT LEVEL: mono 16-bit at the common rate, peak-normalised to LEVEL dBFS. The levels
# differ a little per family so that noisy and tonal sounds come out about equally loud.
finish() {
  "${SOX[@]}" "$1" -r $RATE -c 1 -b 16 --comment "" "$2" gain -n "$3"
}

# hum DUR F0 F1 OUT: the saber's body, two detuned saws sweeping from F0 to F1 with a fast flutter.
hum() {
  "${SOX[@]}" -n -r $RATE -c 2 "$tmp/hum2.wav" synth "$1" sawtooth "$2:$3" sawtooth "$(calc "$2 * 1.013"):$(calc "$3 * 1.013")"
  "${SOX[@]}" "$tmp/hum2.wav" -c 1 "$4" remix - vol 0.25 tremolo 24 30 lowpass 1500 highpass 40
}

# Switching on: a rising hum with a crackle of ignition; off: the hum falls away.
hum 0.9 42 98 "$tmp/on-hum.wav"
"${SOX[@]}" -n -r $RATE -c 1 "$tmp/on-crack.wav" synth 0.3 whitenoise vol 0.3 highpass 700 lowpass 4000 fade q 0.005 0.3 0.27
"${SOX[@]}" -m "$tmp/on-hum.wav" "$tmp/on-crack.wav" "$tmp/on.wav" fade q 0.01 0.9 0.3
finish "$tmp/on.wav" "$OUT/saber_on.wav" -3

hum 0.7 100 34 "$tmp/off-hum.wav"
"${SOX[@]}" "$tmp/off-hum.wav" "$tmp/off.wav" fade q 0.005 0.7 0.55
finish "$tmp/off.wav" "$OUT/saber_off.wav" -3

# Swooshes: the hum bends up and back as the blade passes, with a breath of filtered air.
i=1
for params in "0.42 92 500 900" "0.5 84 650 1100" "0.36 104 420 800" "0.56 78 720 1300" "0.46 96 560 1000" "0.4 88 480 1200"; do
  read -r dur f cents band <<<"$params"
  half=$(calc "$dur * 0.48")
  hum "$dur" "$f" "$f" "$tmp/sw-hum.wav"
  "${SOX[@]}" "$tmp/sw-hum.wav" "$tmp/sw-bent.wav" bend "0,$cents,$half" "0,-$cents,$half"
  "${SOX[@]}" -n -r $RATE -c 1 "$tmp/sw-air.wav" synth "$dur" pinknoise vol 0.5 bandpass "$band" 1.2q
  "${SOX[@]}" -m "$tmp/sw-bent.wav" "$tmp/sw-air.wav" "$tmp/sw.wav" fade h "$(calc "$dur * 0.45")" "$dur" "$(calc "$dur * 0.5")"
  finish "$tmp/sw.wav" "$OUT/swoosh$i.aif" -4
  i=$((i + 1))
done

# Clashes: a struck metal chord (inharmonic partials) over a sizzle of noise, decaying quickly.
i=1
for params in "0.8 523 1291 2210 3470" "0.7 611 1420 2390 3810" "0.9 470 1160 1980 3120" "0.6 702 1633 2750 4020" "0.75 560 1380 2290 3650"; do
  read -r dur a b c d <<<"$params"
  "${SOX[@]}" -n -r $RATE -c 4 "$tmp/cl-ring4.wav" synth "$dur" sine "$a" sine "$b" sine "$c" sine "$d"
  "${SOX[@]}" "$tmp/cl-ring4.wav" -c 1 "$tmp/cl-ring.wav" remix 1v0.4,2v0.3,3v0.2,4v0.12 fade q 0 "$dur" "$dur"
  "${SOX[@]}" -n -r $RATE -c 1 "$tmp/cl-zap.wav" synth "$dur" whitenoise vol 0.45 highpass 1800 fade l 0 "$dur" "$(calc "$dur - 0.02")" \
    fade l 0 "$dur" "$dur"
  "${SOX[@]}" -m "$tmp/cl-ring.wav" "$tmp/cl-zap.wav" "$tmp/cl.wav" overdrive 8 reverb 25 50 40 100 0 0
  finish "$tmp/cl.wav" "$OUT/clash$i.aif" -4
  i=$((i + 1))
done

# Spoken hints: a friendly voice, leading and trailing silence cut.
speak() {
  espeak-ng -v en-us+f4 -s 172 -p 62 -w "$tmp/voice.wav" "$1"
  "${SOX[@]}" "$tmp/voice.wav" "$tmp/voice-trim.wav" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse \
    vol 0.8 highpass 120 pad 0.05 0.1
  finish "$tmp/voice-trim.wav" "$2" -3
}
speak "Shake me to light my saber!" "$OUT/voice1.aif"
speak "Psst! Give me a shake!" "$OUT/voice2.aif"
