#!/bin/sh
# Runs the fuzz targets built in $FUZZ_DIR (default build/fuzz).
#   fuzz.sh corpus          every target over its seed corpus only (no new inputs)
#   fuzz.sh run [SECONDS]   every target for SECONDS (default 60) each, new
#                           inputs kept under $FUZZ_DIR/corpus, crashes under
#                           $FUZZ_DIR/artifacts
#   fuzz.sh run SECONDS NAME  only the target fuzz_NAME
set -eu
cd "$(dirname "$0")/.."
FUZZ_DIR=${FUZZ_DIR:-build/fuzz}
LIMITS="-rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10"
mode=${1:-corpus}
seconds=${2:-60}
only=${3:-}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for bin in "$FUZZ_DIR"/bin/fuzz_*; do
  [ -x "$bin" ] || continue
  name=${bin##*/fuzz_}
  [ -z "$only" ] || [ "$only" = "$name" ] || continue
  seeds=fuzz/corpus/$name
  mkdir -p "$seeds"
  case $mode in
    corpus)
      set -- "$seeds"/*
      [ -e "$1" ] || { echo "fuzz: no seeds for $name"; status=1; continue; }
      if "$bin" $LIMITS "$@" >"$FUZZ_DIR/$name.corpus.log" 2>&1; then
        echo "fuzz: $name: $# seeds pass"
      else
        echo "fuzz: $name FAILED on its corpus:"; tail -n 40 "$FUZZ_DIR/$name.corpus.log"; status=1
      fi
      ;;
    run)
      work=$FUZZ_DIR/corpus/$name
      artifacts=$FUZZ_DIR/artifacts/$name/
      mkdir -p "$work" "$artifacts"
      if "$bin" $LIMITS -max_total_time="$seconds" -print_final_stats=1 \
          -artifact_prefix="$artifacts" "$work" "$seeds" >"$FUZZ_DIR/$name.run.log" 2>&1; then
        echo "fuzz: $name: $(grep -E 'stat::number_of_executed_units' "$FUZZ_DIR/$name.run.log" | awk '{print $2}') runs in ${seconds} s, no failure"
      else
        echo "fuzz: $name FAILED, reproducer in $artifacts:"; tail -n 40 "$FUZZ_DIR/$name.run.log"; status=1
      fi
      ;;
    *) echo "usage: $0 corpus | run [SECONDS [NAME]]" >&2; exit 2 ;;
  esac
done
exit $status
