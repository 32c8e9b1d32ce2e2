#!/bin/sh
# Runs fuzz_program for a while in a mount namespace where only its work folder is writable: a
# program under test may write files by absolute names (OpenA, PrintA). New crashes are left in
# WORK/artifacts; the grown corpus in WORK/corpus. Each job stops at its first crash; with
# KEEP_GOING=1 the jobs are forked and go on past crashes and hangs, collecting them all. With
# MERGE=1 the grown corpus is first cut down to the inputs that add coverage, so that the jobs
# start sooner.
#   [KEEP_GOING=1] [MERGE=1] tests/fuzz/run_fuzz_program.sh [BUILD-DIR] [SECONDS] [JOBS]
set -eu
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$source_dir/build-fuzz}" && pwd)
seconds=${2:-600}
jobs=${3:-2}
work=$build/fuzz-program
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
cp "$source_dir"/tests/fuzz/corpus/program/* "$work/corpus/"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/tmp" QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$source_dir/tests/fuzz/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mode="-jobs=$jobs -workers=$jobs"
[ "${KEEP_GOING:-0}" = 1 ] && mode="-fork=$jobs -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1"
# Every path absolute: the target runs each input from inside its fixture folder.
cd "$work"
exec unshare -r -m sh -c '
  mount --bind "$1" "$1" && mount -o remount,bind,ro / && mount -t tmpfs none /dev/shm && cd "$1" || exit 1
  if [ "$6" = 1 ]; then
    rm -rf corpus.min && mkdir corpus.min &&
      "$2" -merge=1 -timeout=5 -rss_limit_mb=2048 "$1/corpus.min" "$1/corpus" >merge.log 2>&1 &&
      rm -rf corpus && mv corpus.min corpus || exit 1
  fi
  exec "$2" -dict="$3" -max_total_time="$4" -timeout=5 -rss_limit_mb=2048 $5 \
    -artifact_prefix="$1/artifacts/" -print_final_stats=1 "$1/corpus"
' sh "$work" "$build/tests/fuzz/fuzz_program" "$source_dir/tests/fuzz/program.dict" "$seconds" "$mode" "${MERGE:-0}"
