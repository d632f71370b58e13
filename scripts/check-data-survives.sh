#!/usr/bin/env bash
# Checks, in a fresh clone of this checkout's committed state, that the learner's data outlives
# the build: starts the program through `xvfb-run ./run.sh`, gives it a library, a transcript and
# a playlist, then runs `rm -rf build` and starts it again. The data must be where it was, and
# the second start must have read the same playlist database (its start-up check drops an entry
# whose file is gone). Builds the release preset twice: this takes a while.
set -euo pipefail
checkout=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

git clone --quiet "$checkout" "$work/ecolvar"
cd "$work/ecolvar"
start() { xvfb-run -a ./run.sh --quit-after 1500 >/dev/null; }

start
data=Ecolvar
test -f "$data/vek.db" || { echo "FAIL: the first start made no $data/vek.db" >&2; exit 1; }
mkdir -p "$data/mpl/English"
printf '%s\r\n' "$PWD/run.sh" >"$data/mpl/English/Lesson1.mpl"
printf 'first transcript line\r\n' >"$data/txt/Lesson1.eng"
sqlite3 "$data/vek.db" "
  INSERT INTO LstFileTblM (LstFileName, DisplayFlag) VALUES ('Daily', 1);
  INSERT INTO LstFileTbl (NumberID, LstFileName, FileName, FilePath)
    VALUES (1, 'Daily', 'run.sh', '$PWD/'), (2, 'Daily', 'gone.mp3', '$PWD/');"
files() { (cd "$data" && find mpl txt -type f -print0 | sort -z | xargs -0 sha256sum); }
before=$(files)

rm -rf build
start

status=0
[ "$(files)" = "$before" ] || { echo "FAIL: the library or the transcripts changed" >&2; status=1; }
left=$(sqlite3 "$data/vek.db" "SELECT NumberID || ' ' || FileName FROM LstFileTbl ORDER BY NumberID")
[ "$left" = "1 run.sh" ] || { echo "FAIL: playlist entries after the restart: $left" >&2; status=1; }
[ -z "$(find build -name vek.db -o -name mpl -o -name txt)" ] \
  || { echo "FAIL: data found inside build/" >&2; status=1; }
[ "$status" -eq 0 ] && echo "check-data-survives: library, transcript and playlists survived rm -rf build"
exit "$status"
