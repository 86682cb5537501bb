#!/usr/bin/env bash
# A timed fuzzing session: bench/fuzz/run.sh [TARGET|all] [SECONDS]
#
# Configures a clang build with the fuzz targets (build-fuzz/ beside the sources, or $FUZZ_BUILD), builds the
# target and fuzzes it for SECONDS (default 60) starting from its kept corpus, bench/fuzz/corpus/TARGET/.
# Then it rebuilds that corpus from what it held and what the session found, as a minimal set (libFuzzer's
# -merge=1): the seeds written by hand (files not named by their SHA-1) always stay, and of the inputs found
# by fuzzing only those are kept that reach a branch nothing kept before them reaches (how often a branch
# runs does not count here, or the corpus would keep hundreds of near-copies). An input that crashes, or
# breaks one of the target's properties, is left in build-fuzz/artifacts/TARGET/ with the command that
# replays it.
#
# Targets: profile_reader, scheme_file, batch_database (all, the default, runs each for SECONDS).
# Runs niced: the machine's cores are shared.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build="${FUZZ_BUILD:-$source_dir/build-fuzz}"
target="${1:-all}"
seconds="${2:-60}"
targets=(profile_reader scheme_file batch_database)

if [ "$target" = all ]; then
  chosen=("${targets[@]}")
elif printf '%s\n' "${targets[@]}" | grep -qx "$target"; then
  chosen=("$target")
else
  echo "unknown target '$target'; the targets are: ${targets[*]} (or all)" >&2
  exit 2
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "SECONDS must be a whole number of seconds, not '$seconds'" >&2
  exit 2
fi
for tool in clang-14 clang++-14 cmake ninja; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-deps.sh installs it" >&2; exit 2; }
done

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" \
    -DSPRINGTEST_FUZZ=ON -DSPRINGTEST_TESTS=OFF -DSPRINGTEST_BENCH=OFF
fi
nice -n 10 cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-2}" --target "${chosen[@]/#/fuzz_}"

# Leaks of the Qt and SQLite libraries the targets load are not the targets' own.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export QT_QPA_PLATFORM=offscreen
for t in "${chosen[@]}"; do
  corpus="$here/corpus/$t"
  found="$build/found/$t"
  artifacts="$build/artifacts/$t/"
  mkdir -p "$corpus" "$found" "$artifacts"
  echo "== fuzzing $t for $seconds s"
  status=0
  nice -n 10 "$build/bin/fuzz_$t" "$found" "$corpus" -max_total_time="$seconds" -max_len=65536 \
    -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts" -print_final_stats=1 || status=$?
  echo "== merging what $t found into $corpus"
  merged="$build/merged/$t"
  rm -rf "$merged"
  mkdir -p "$merged"
  find "$corpus" -maxdepth 1 -type f -regextype posix-extended ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$merged/" \;
  if ! nice -n 10 "$build/bin/fuzz_$t" -merge=1 -use_counters=0 "$merged" "$corpus" "$found" >"$build/merge-$t.log" 2>&1; then
    echo "the merge stopped (see $build/merge-$t.log); $corpus is left as it was, the new inputs in $found" >&2
    exit 1
  fi
  grep -E "MERGE-OUTER: [0-9]+ new files" "$build/merge-$t.log" || true
  rm -rf "$corpus" "$found"
  mv "$merged" "$corpus"
  echo "== $corpus now holds $(find "$corpus" -type f | wc -l) inputs"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$t stopped on an input (see $artifacts); replay it with:" >&2
    echo "  $build/bin/fuzz_$t $artifacts<file>" >&2
    exit "$status"
  fi
done
