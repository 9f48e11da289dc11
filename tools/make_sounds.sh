#!/usr/bin/env bash
# Generates the clock's recordings: data/Sound/ (spoken-time clips in Mandarin and the bells
# of the chimes) and data/MySound/ (a few pleasant sounds for scheduled tasks).
#
# Speech comes from espeak-ng's Mandarin voice (pinyin input, so every syllable and tone is
# exactly what we ask for); bells are built with sox from inharmonic partials that each decay
# exponentially at their own rate, plus a short strike noise. Every clip is trimmed of
# leading and trailing silence, loudness-normalised (RMS target with a peak ceiling) and
# written as 16-bit mono WAV at 22050 Hz. Run from anywhere: tools/make_sounds.sh
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SOUND="$ROOT/data/Sound"
MYSOUND="$ROOT/data/MySound"
RATE=22050
# Repeatable dither and noise: running the script again gives the same bytes.
export SOX_OPTS="-R"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

for tool in espeak-ng sox lame; do
    command -v "$tool" >/dev/null || { echo "make_sounds: $tool is needed" >&2; exit 1; }
done
mkdir -p "$SOUND" "$MYSOUND"

# calc EXPR: floating-point arithmetic.
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

# stat_of FILE FIELD: one value of `sox FILE -n stat` ("RMS     amplitude", "Maximum amplitude").
stat_of() { sox "$1" -n stat 2>&1 | awk -F: -v k="$2" '$1 ~ k { gsub(/ /, "", $2); print $2 }'; }

# normalise IN OUT RMS PEAK: scale so that the RMS level reaches RMS without the peak passing
# PEAK (both as fractions of full scale), then write 16-bit mono WAV.
normalise() {
    local in=$1 out=$2 target=$3 ceiling=$4 rms peak gain
    rms=$(stat_of "$in" "RMS +amplitude")
    peak=$(stat_of "$in" "Maximum amplitude")
    local minpeak
    minpeak=$(stat_of "$in" "Minimum amplitude")
    peak=$(calc "($peak > -($minpeak)) ? $peak : -($minpeak)")
    gain=$(calc "($target / $rms < $ceiling / $peak) ? $target / $rms : $ceiling / $peak")
    sox "$in" -r $RATE -c 1 -b 16 "$out" vol "$gain"
}

# speak OUT PINYIN: one Mandarin clip, silence trimmed at both ends, a short breath after it
# so that clips played one after another flow as one sentence.
speak() {
    local out=$1 text=$2 raw="$WORK/raw.wav" cut="$WORK/cut.wav"
    espeak-ng -v cmn-latn-pinyin -s 150 -p 45 -a 120 -w "$raw" "$text"
    sox "$raw" -r $RATE -c 1 "$cut" \
        silence 1 0.01 0.6% reverse silence 1 0.01 0.6% reverse pad 0.005 0.06
    normalise "$cut" "$out" 0.16 0.89
}

# bell OUT BASE DECAY AMP: one strike of a bell whose prime partial is BASE Hz. The partials
# follow a tuned church bell (hum, prime, minor third, fifth, nominal and upper partials),
# each slightly detuned against a twin so they beat softly, and the higher a partial the
# sooner it dies away. DECAY scales every decay time (seconds to -100 dB of the lowest).
bell() {
    local out=$1 base=$2 decay=$3 amp=$4 parts=() i=0
    # ratio  amplitude  relative decay
    local table="0.5 0.55 1.00
1.0 0.60 0.80
1.2 0.45 0.62
1.5 0.22 0.45
2.0 0.50 0.52
2.5 0.14 0.30
3.0 0.18 0.26
4.2 0.10 0.16
5.4 0.05 0.10"
    while read -r ratio a rel; do
        local f len
        f=$(calc "$base * $ratio")
        len=$(calc "$decay * $rel")
        for detune in 1.0 1.0021; do
            i=$((i + 1))
            sox -n -r $RATE -c 1 -b 32 "$WORK/p$i.wav" \
                synth "$len" sine "$(calc "$f * $detune")" fade l 0.004 "$len" "$(calc "$len - 0.004")" \
                vol "$(calc "$a * $amp")"
            parts+=("$WORK/p$i.wav")
        done
    done <<<"$table"
    # The clapper: a short, bright knock at the very start.
    sox -n -r $RATE -c 1 -b 32 "$WORK/knock.wav" synth 0.04 whitenoise \
        fade l 0 0.04 0.04 vol "$(calc "0.25 * $amp")" highpass 1500
    parts+=("$WORK/knock.wav")
    sox -m "${parts[@]}" -b 32 "$out" gain -6 reverb 18 40 60
    rm -f "${parts[@]}"
}

# place OUT SECONDS IN: IN delayed by SECONDS (for mixing notes into a melody).
place() { sox "$3" -b 32 "$1" pad "$2" 0; }

# mixdown OUT FILES...: mix the placed notes.
mixdown() {
    local out=$1
    shift
    if [ $# -eq 1 ]; then cp "$1" "$out"; else sox -m "$@" -b 32 "$out"; fi
}

# finish_decaying IN OUT: trim silence at the start and the inaudible end of the decay
# (below -66 dB of the peak), then normalise.
finish_decaying() {
    sox "$1" -b 32 "$WORK/fin.wav" gain -n -1 \
        silence 1 0.002 0.1% reverse silence 1 0.01 0.05% reverse
    normalise "$WORK/fin.wav" "$2" 0.14 0.89
}

echo "speech"
speak "$SOUND/T1.wav"  "xian4 zai4 shi2 ke4"
speak "$SOUND/To1.wav" "ling2 chen2"
speak "$SOUND/To2.wav" "shang4 wu3"
speak "$SOUND/To3.wav" "xia4 wu3"
speak "$SOUND/To4.wav" "wan3 shang4"
numbers=(ling2 yi1 liang3 san1 si4 wu3 liu4 qi1 ba1 jiu3 shi2 "shi2 yi1" "shi2 er4")
for n in "${!numbers[@]}"; do speak "$SOUND/$n.wav" "${numbers[$n]}"; done
speak "$SOUND/2A.wav" "er4"
speak "$SOUND/30.wav" "san1 shi2"
speak "$SOUND/H.wav"  "dian3"
speak "$SOUND/M.wav"  "fen1"

echo "bells"
# Z1: one strike of the hour bell.
bell "$WORK/z1.wav" 392 4.0 1.0
finish_decaying "$WORK/z1.wav" "$SOUND/Z1.wav"

# Z2: the quarter phrase on four small bells (G#, F#, E, B), then the hour bell.
notes=(415.30 369.99 329.63 246.94)
placed=()
for k in "${!notes[@]}"; do
    bell "$WORK/n$k.wav" "${notes[$k]}" 2.2 0.8
    place "$WORK/q$k.wav" "$(calc "$k * 0.62")" "$WORK/n$k.wav"
    placed+=("$WORK/q$k.wav")
done
bell "$WORK/hour.wav" 196 4.0 1.1
place "$WORK/qh.wav" 3.1 "$WORK/hour.wav"
placed+=("$WORK/qh.wav")
mixdown "$WORK/z2.wav" "${placed[@]}"
finish_decaying "$WORK/z2.wav" "$SOUND/Z2.wav"

echo "task sounds"
# Wind chime: small high bells of a pentatonic scale touched one after another.
placed=()
chimes=(1046.5 1318.5 1568.0 1760.0 2093.0 1568.0 1318.5 1760.0)
for k in "${!chimes[@]}"; do
    bell "$WORK/c$k.wav" "${chimes[$k]}" 2.0 0.5
    place "$WORK/cq$k.wav" "$(calc "$k * 0.23 + ($k % 3) * 0.05")" "$WORK/c$k.wav"
    placed+=("$WORK/cq$k.wav")
done
mixdown "$WORK/wind.wav" "${placed[@]}"
finish_decaying "$WORK/wind.wav" "$MYSOUND/WindChime.wav"

# Ding-dong: a two-tone doorbell figure, three times.
placed=()
k=0
for rep in 0 1 2; do
    for tone in 659.25 523.25; do
        bell "$WORK/d$k.wav" "$tone" 1.6 0.8
        place "$WORK/dq$k.wav" "$(calc "$rep * 1.5 + ($k % 2) * 0.55")" "$WORK/d$k.wav"
        placed+=("$WORK/dq$k.wav")
        k=$((k + 1))
    done
done
mixdown "$WORK/dong.wav" "${placed[@]}"
finish_decaying "$WORK/dong.wav" "$MYSOUND/DingDong.wav"

# Marimba: wooden bars (fundamental with the bar's fourth partial, quick decay) playing a
# rising and falling C-major arpeggio; shipped as MP3.
placed=()
melody=(523.25 659.25 783.99 1046.5 783.99 659.25 523.25 392.00 523.25)
for k in "${!melody[@]}"; do
    f=${melody[$k]}
    sox -n -r $RATE -c 1 -b 32 "$WORK/m1.wav" synth 0.9 sine "$f" fade l 0.003 0.9 0.897
    sox -n -r $RATE -c 1 -b 32 "$WORK/m2.wav" synth 0.25 sine "$(calc "$f * 3.93")" \
        fade l 0.002 0.25 0.248 vol 0.35
    sox -m "$WORK/m1.wav" "$WORK/m2.wav" -b 32 "$WORK/mk$k.wav"
    at=$(calc "$k * 0.26 + ($k == 8 ? 0.26 : 0)")
    place "$WORK/mq$k.wav" "$at" "$WORK/mk$k.wav"
    placed+=("$WORK/mq$k.wav")
done
mixdown "$WORK/marimba.wav" "${placed[@]}"
sox "$WORK/marimba.wav" -b 32 "$WORK/marimba-r.wav" gain -6 reverb 25 40 70
finish_decaying "$WORK/marimba-r.wav" "$WORK/marimba16.wav"
lame --quiet -b 96 -m m "$WORK/marimba16.wav" "$MYSOUND/Marimba.mp3"

echo "clip                  length(s)  peak(dBFS)  rms(dBFS)"
for f in "$SOUND"/*.wav "$MYSOUND"/*; do
    sox "$f" -t wav "$WORK/m.wav" 2>/dev/null
    len=$(soxi -D "$WORK/m.wav")
    peak=$(sox "$WORK/m.wav" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
    rms=$(sox "$WORK/m.wav" -n stats 2>&1 | awk '/^RMS lev dB/ { print $4 }')
    printf "%-20s  %8.2f  %10s  %9s\n" "${f#"$ROOT"/data/}" "$len" "$peak" "$rms"
done
