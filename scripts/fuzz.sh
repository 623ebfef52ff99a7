#!/usr/bin/env bash
# Runs the libFuzzer targets of a fuzz build one after another, each for SECONDS seconds, at the
# lowest CPU priority. Everything they write stays in the build folder:
#   BUILD/fuzz-runs/TARGET/corpus/     inputs found to reach new code (grows from run to run)
#   BUILD/fuzz-runs/TARGET/findings/   inputs that crashed, hung, leaked or ran out of memory
#   BUILD/fuzz-runs/TARGET/log.txt     libFuzzer's output, final statistics at the end
# Starting inputs: samples/, the writer-made movies and sound data (make_fuzz_inputs), the
# regression inputs, and the movies of the shared corpus read in place (linked, never copied).
# usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]     (targets: load play avm1 sound; default all)
# FUZZ_TIMEOUT (default 120) is the wall time one input may take: generous, because at the lowest
# priority on a busy machine a fuzzer can wait long for the processor. Re-run a reported
# timeout alone (PROGRAM FILE) to see whether it is real.
set -uo pipefail
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:?seconds}
shift 2
targets=("$@")
((${#targets[@]})) || targets=(load play avm1 sound)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
corpus=${VANTORO_CORPUS_DIR:-$source_dir/../shared/corpus}
export QT_QPA_PLATFORM=offscreen
# Font caches of the system's fontconfig live until exit: not leaks of the engine.
export LSAN_OPTIONS="suppressions=$source_dir/scripts/lsan-suppressions.txt:print_suppressions=0"
: "${XDG_RUNTIME_DIR:=$(mktemp -d)}"; export XDG_RUNTIME_DIR

starting="$build/starting-inputs"
rm -rf "$starting"
"$build/bin/make_fuzz_inputs" "$starting/writer" || exit 1
mkdir -p "$starting/corpus-movies"
if [ -d "$corpus" ]; then
  n=0
  while IFS= read -r -d '' movie; do
    n=$((n + 1))
    ln -s "$movie" "$starting/corpus-movies/$n.swf"
  done < <(find "$corpus" -name '*.swf' -print0 | sort -z)
fi

failed=()
for target in "${targets[@]}"; do
  program="$build/bin/fuzz_$target"
  [ -x "$program" ] || { echo "fuzz: $program is not built"; failed+=("$target"); continue; }
  run="$build/fuzz-runs/$target"
  mkdir -p "$run/corpus" "$run/findings"
  case $target in
    sound) inputs=("$starting/writer/sound") max_len=65536 ;;
    avm1) inputs=("$starting/writer/avm1" "$starting/writer/movies" "$source_dir/samples" "$starting/corpus-movies")
          max_len=131072 ;;
    *) inputs=("$starting/writer/movies" "$source_dir/samples" "$starting/corpus-movies") max_len=131072 ;;
  esac
  inputs+=("$source_dir/tests/fuzz/regression/$target")
  echo "fuzz: $target for $seconds s (log: $run/log.txt)"
  nice -n 19 "$program" -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-120}" -rss_limit_mb=2560 -max_len=$max_len \
    -print_final_stats=1 -artifact_prefix="$run/findings/" "$run/corpus" "${inputs[@]}" >"$run/log.txt" 2>&1
  rc=$?
  grep -E '^#[0-9]+.*(DONE|pulse)' "$run/log.txt" | tail -1
  grep -E '^stat::number_of_executed_units' "$run/log.txt"
  if [ $rc -ne 0 ]; then
    echo "fuzz: $target found a problem (exit $rc); see $run/findings/ and $run/log.txt"
    failed+=("$target")
  fi
done
if ((${#failed[@]})); then
  echo "fuzz: findings or failures in: ${failed[*]}"
  exit 1
fi
echo "fuzz: no findings"
