#!/usr/bin/env bash
# Makes the README's pictures of the practice features (docs/practice.png, docs/practice-menu.png)
# from the real window on a virtual display: a spoken lesson made with espeak-ng, its lyrics
# imported into the English transcript, playing into the third sentence.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Five sentences, each followed by 0.6 s of silence, and a lyrics line stamped at each start.
start=0
parts=()
: >"$tmp/lesson.lrc"
i=0
while IFS= read -r sentence; do
  espeak-ng -v en-us -s 140 -w "$tmp/raw$i.wav" "$sentence"
  sox "$tmp/raw$i.wav" -r 44100 -c 1 "$tmp/part$i.wav" pad 0 0.6
  awk -v t="$start" -v s="$sentence" 'BEGIN { printf "[%02d:%05.2f]%s\n", int(t / 60), t - 60 * int(t / 60), s }' \
    >>"$tmp/lesson.lrc"
  start=$(awk -v t="$start" -v d="$(soxi -D "$tmp/part$i.wav")" 'BEGIN { print t + d }')
  parts+=("$tmp/part$i.wav")
  i=$((i + 1))
done <<'TEXT'
Good morning, everyone.
Today we are going to talk about the weather in spring.
In April it often rains, but the days get longer and warmer.
Many people like to walk in the park after work.
What do you like to do when the sun comes out?
TEXT
sox "${parts[@]}" "$tmp/lesson.wav"

xvfb-run -a -s "-screen 0 1280x800x24" build/bench/bench/screenshots "$tmp" docs
