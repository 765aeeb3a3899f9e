#!/usr/bin/env bash
# Makes the program's sounds: the ten game sounds, synthesised with sox, and
# the twenty chatter sounds, spoken by espeak-ng or made with sox. Every file
# is a short mono 16-bit PCM WAV at 16 kHz in resources/sounds, named as the
# program plays it. Needs sox and espeak-ng (Debian packages of those names);
# the build only uses the committed output.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/sounds
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=16000
# sox FILE... EFFECTS: writes $out/NAME.wav from whatever the arguments make.
finish() { # name input [effects...]
    local name=$1 input=$2
    shift 2
    sox -q "$input" -r "$rate" -c 1 -b 16 -e signed-integer "$out/$name.wav" "$@" norm -3
}
tone() { # name effects...: a synthesised sound
    local name=$1
    shift
    sox -q -n -r "$rate" -c 1 -b 16 "$work/$name.wav" "$@"
    finish "$name" "$work/$name.wav"
}
say() { # name voice speed pitch text [effects...]
    local name=$1 voice=$2 speed=$3 pitch=$4 text=$5
    shift 5
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -w "$work/$name-raw.wav" "$text"
    finish "$name" "$work/$name-raw.wav" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse "$@"
}

# Game sounds.
tone entered synth 0.12 sine 660 fade 0 0.12 0.03 : synth 0.22 sine 990 fade 0 0.22 0.12
tone turn synth 0.5 pluck C5 fade 0 0.5 0.3 : synth 0.6 pluck G5 fade 0 0.6 0.4
tone turnnew synth 0.1 sine 784 : synth 0.1 sine 988 : synth 0.1 sine 1175 : synth 0.3 sine 1568 fade 0 0.3 0.2
tone tick synth 0.025 sine 1800 fade 0 0.025 0.015
tone timeup synth 0.25 square 440 gain -12 : synth 0.25 square 330 gain -12 : synth 0.45 square 220 gain -12 fade 0 0.45 0.2
tone goodword synth 0.09 triangle 523 : synth 0.09 triangle 659 : synth 0.09 triangle 784 : synth 0.25 triangle 1047 fade 0 0.25 0.15
tone badword synth 0.35 sawtooth 110 gain -10 tremolo 18 60 fade 0 0.35 0.1
tone roundover synth 0.15 pluck E4 : synth 0.15 pluck G4 : synth 0.15 pluck C5 : synth 0.5 pluck E5 fade 0 0.5 0.3
tone gameover synth 0.18 triangle 523 : synth 0.18 triangle 523 : synth 0.18 triangle 523 : synth 0.6 triangle 698 fade 0 0.6 0.3 : synth 0.2 triangle 659 : synth 0.8 triangle 784 fade 0 0.8 0.5
tone clear synth 0.22 pinknoise gain -6 bandpass 3000 1.5q fade q 0.02 0.22 0.15

# Chatter sounds.
say wave1 en-us 160 40 "D'oh!"
tone wave2 synth 0.12 brownnoise gain -2 fade q 0.005 0.12 0.08 : synth 0.08 : synth 0.16 brownnoise gain -4 fade q 0.005 0.16 0.12
say wave3 en-us 160 50 "Hello!"
say wave4 en-us 160 50 "Thank you!"
say wave5 en-us 150 50 "Where have you been?"
tone wave6 synth 1.2 brownnoise gain -8 lowpass 400 tremolo 0.8 100 fade q 0.3 1.2 0.4 : synth 0.3 : synth 0.9 pinknoise gain -16 lowpass 1200 fade q 0.2 0.9 0.5
say wave7 en-us 180 70 "Ah... choo!"
say wave8 en-us 140 40 "Sorry."
say wave9 en-us 150 50 "Welcome!"
say wave10 en-us+m3 170 70 "Yee haa!"
say wave11 en-us+f3 170 80 "Yippee!"
say wave12 en-us 130 35 "Oh no!"
tone wave13 synth 1.6 pinknoise gain -4 bandpass 2500 0.6q tremolo 11 80 fade q 0.15 1.6 0.6
tone wave14 synth 0.35 sawtooth 392 sawtooth 370 gain -10 lowpass 1800 fade 0 0.35 0.05
say wave15 en-us+f2 90 60 "Ooooh!"
tone wave16 synth 0.7 sawtooth 95 gain -8 tremolo 32 90 lowpass 1500 fade 0 0.7 0.2
say wave17 en-us 170 75 "Hooray!" reverb 40
say wave18 en-us+f4 190 90 "ha ha ha ha"
say wave19 en-us+m3 160 25 "ho ho ho ho"
say wave20 en-us+f2 110 70 "boo hoo hoo"

du -ch "$out"/*.wav | tail -1
