#!/usr/bin/env bash
# Builds every fuzz target found under tests/fuzz/<name>/ with clang++ and
# libFuzzer, then runs each for a bounded time over its corpus.
#
# A target folder holds:
#   fuzz_*.cpp   the target (LLVMFuzzerTestOneInput), one or more files
#   SOURCES      the project sources it needs, one per line, relative to the
#                repository root; their folders are added to the include path
#   INCLUDES     (optional) more include folders, one per line, same rule
#   FLAGS        (optional) more compiler and linker arguments, put after the
#                sources; shell expansions run, e.g. $(pkg-config --cflags --libs Qt6Core)
#   OPTIONS      (optional) more libFuzzer options, e.g. -max_len=65536
#   corpus/      the seed inputs; new inputs found go to a temporary copy
#
# Usage: tests/fuzz/run-fuzz.sh [seconds per target, default 60] [name ...]
# Exits non-zero when a target fails to build or finds a crash; the crashing
# input is kept in $FUZZ_ARTIFACTS (default: a fuzz-artifacts folder in the
# current directory) and printed.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
shift || true
cxx=${FUZZ_CXX:-clang++}
artifacts=${FUZZ_ARTIFACTS:-$PWD/fuzz-artifacts}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
found=0
for dir in "$root"/tests/fuzz/*/; do
  dir=${dir%/}
  name=$(basename "$dir")
  if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qxF "$name"; then
    continue
  fi
  shopt -s nullglob
  targets=("$dir"/fuzz_*.cpp)
  shopt -u nullglob
  if [ ${#targets[@]} -eq 0 ] || [ ! -f "$dir/SOURCES" ]; then
    continue
  fi
  found=$((found + 1))

  sources=()
  includes=("-I$dir")
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line%%#*}
    line=$(echo "$line" | xargs)
    [ -z "$line" ] && continue
    sources+=("$root/$line")
    includes+=("-I$root/$(dirname "$line")")
  done < "$dir/SOURCES"
  if [ -f "$dir/INCLUDES" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
      line=${line%%#*}
      line=$(echo "$line" | xargs)
      [ -z "$line" ] && continue
      includes+=("-I$root/$line")
    done < "$dir/INCLUDES"
  fi

  flags=()
  options=()
  for extra in FLAGS OPTIONS; do
    [ -f "$dir/$extra" ] || continue
    while IFS= read -r line || [ -n "$line" ]; do
      line=${line%%#*}
      [ -z "${line// /}" ] && continue
      if [ "$extra" = FLAGS ]; then flags+=($(eval echo "$line")); else options+=($line); fi
    done < "$dir/$extra"
  done

  binary="$work/$name"
  echo "== $name: building"
  if ! "$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
      "${includes[@]}" "${targets[@]}" "${sources[@]}" ${flags[@]+"${flags[@]}"} -o "$binary"; then
    echo "== $name: build failed"
    status=1
    continue
  fi

  corpus="$work/$name-corpus"
  mkdir -p "$corpus"
  seeds=()
  if [ -d "$dir/corpus" ]; then
    seeds=("$dir/corpus")
  fi
  echo "== $name: running for ${seconds} s"
  if ! "$binary" -max_total_time="$seconds" -timeout=10 -max_len=1024 -print_final_stats=1 \
      ${options[@]+"${options[@]}"} -artifact_prefix="$work/$name-" "$corpus" "${seeds[@]}"; then
    echo "== $name: CRASH"
    mkdir -p "$artifacts"
    for crash in "$work/$name"-*; do
      [ -f "$crash" ] || continue
      cp "$crash" "$artifacts/"
      echo "input kept in $artifacts/$(basename "$crash"):"
      od -c "$crash" | head -20
    done
    status=1
  else
    echo "== $name: no crash"
  fi
done

if [ "$found" -eq 0 ]; then
  echo "no fuzz target found"
  exit 1
fi
exit "$status"
