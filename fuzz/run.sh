#!/usr/bin/env bash
# Runs every fuzz target of a build for a while (make fuzz).
#   fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
# Each target starts from a scratch corpus under BUILD_DIR/corpus/<target>,
# filled from fuzz/seeds/<target> (and, for feeds, the XML and JSON documents of
# tests/corpora), so the committed seeds stay as they are. Crashing inputs go
# to BUILD_DIR/artifacts/<target>/. Exits non-zero when any target failed.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
seconds=${2:-60}
targets=(container feed newsfiles text date language rtf)
# Qt keeps some memory until exit on purpose: leaks are not looked for here.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/seeds/"$t"/* "$corpus"/
  if [ "$t" = feed ]; then
    while IFS= read -r f; do
      rel=${f#tests/corpora/}
      cp "$f" "$corpus/${rel//\//_}"
    done < <(find tests/corpora -name '*.xml' -o -name '*.json')
  fi
  echo "== fuzz_$t: ${seconds}s"
  if ! "$build/fuzz/fuzz_$t" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        >"$build/fuzz_$t.log" 2>&1; then
    tail -n 60 "$build/fuzz_$t.log"
    failed+=("$t")
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$build/fuzz_$t.log" || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]} (inputs in $build/artifacts/)"
  exit 1
fi
