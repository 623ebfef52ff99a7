#!/usr/bin/env bash
# Plays every movie under a folder for ten frames with swfcli and reports any that crash, hang
# or fail for another reason than a clear load error (pure ActionScript 3 movies, damaged files).
# usage: scripts/corpus-smoke.sh [CORPUS_DIR] [SWFCLI]     (defaults: ../shared/corpus, build/bin/swfcli)
set -u
corpus=${1:-$(dirname "$0")/../../shared/corpus}
swfcli=${2:-$(dirname "$0")/../build/bin/swfcli}
export QT_QPA_PLATFORM=offscreen
: "${XDG_RUNTIME_DIR:=$(mktemp -d)}"; export XDG_RUNTIME_DIR
if [ ! -d "$corpus" ]; then echo "no corpus at $corpus"; exit 77; fi
total=0; played=0; refused=0; bad=0
while IFS= read -r -d '' movie; do
  total=$((total + 1))
  err=$(timeout 20 "$swfcli" run "$movie" --frames 10 2>&1 >/dev/null)
  rc=$?
  if [ $rc -eq 0 ]; then
    played=$((played + 1))
  elif [ $rc -eq 1 ] && grep -q "cannot load" <<<"$err"; then
    refused=$((refused + 1))
    echo "refused: $movie: $(grep 'cannot load' <<<"$err" | head -1 | sed 's/.*: \([a-z ]*\): /\1: /')"
  else
    bad=$((bad + 1))
    echo "FAILED (exit $rc): $movie"
  fi
done < <(find "$corpus" -name '*.swf' -print0 | sort -z)
echo "$total movies: $played played, $refused refused with an error, $bad crashed or hung"
[ $bad -eq 0 ]
