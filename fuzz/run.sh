#!/usr/bin/env bash
# Runs the fuzz targets built in build-fuzz (make fuzz-build); the Makefile's
# fuzz, fuzz-smoke and fuzz-coverage targets call it. See fuzz/README.md.
#
#   fuzz/run.sh run SECONDS [target...]   fuzz each target for SECONDS
#   fuzz/run.sh smoke RUNS [target...]    each target for RUNS inputs, then
#                                         check that the seeds alone reach
#                                         what the target is meant to reach
#   fuzz/run.sh coverage [target...]      run the seeds and the grown corpus
#                                         and list what the target is meant
#                                         to reach and did not
#
# Targets are the fuzz/fuzz_<target>.cpp files; the seeds are read from
# fuzz/corpus/<target>, new inputs go to build-fuzz/corpus/<target> and
# crashing ones to build-fuzz/artifacts. Every path handed to libFuzzer is
# absolute: some targets change the working folder while an input runs.
# Exits non-zero when a target crashes or misses something it must reach.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz

usage() {
  sed -n '4,12p' "$0" >&2
  exit 2
}

# The longest input per target. Documents go to 1 MiB: the entity expansion
# limit is ten times the file size plus 10 MiB, so only files near 1 MiB
# make the size part as large as the fixed part. Description files go to
# 64 KiB: a call nested 1,000 deep, the engine's limit, takes 4,000 bytes.
# No date picture longer than 512 bytes can format within 127 characters.
max_len() {
  case $1 in
    document) echo 1048576 ;;
    description) echo 65536 ;;
    date_picture) echo 512 ;;
    *) echo 4096 ;;
  esac
}

all_targets() {
  for source in "$root"/fuzz/fuzz_*.cpp; do
    name=${source##*/fuzz_}
    echo "${name%.cpp}"
  done
}

# The options every run of a target takes.
options() {
  local target=$1
  local dict=$root/fuzz/$target.dict
  echo "-max_len=$(max_len "$target") -timeout=30"
  [ -f "$dict" ] && echo "-dict=$dict"
  return 0
}

# What fuzz/README.md lists under "### fuzz_<target>" as "- `name`".
meant_to_reach() {
  awk -v heading="### fuzz_$1" '
    /^##/ { inside = ($0 == heading); next }
    inside && /^- `/ { sub(/^- `/, ""); sub(/`.*/, ""); print }
  ' "$root/fuzz/README.md"
}

# Prints the functions of the list that the corpora never reach; returns 1
# when there is one, or when the list is empty.
check_reach() {
  local target=$1
  shift
  local wanted
  wanted=$(meant_to_reach "$target")
  if [ -z "$wanted" ]; then
    echo "fuzz_$target: fuzz/README.md lists nothing it is meant to reach" >&2
    return 1
  fi
  # "-runs=0" runs the corpora and fuzzes nothing.
  local log=$build/coverage-$target.log
  mkdir -p "$build/artifacts"
  # shellcheck disable=SC2046
  if ! "$build/fuzz_$target" $(options "$target") -runs=0 -print_coverage=1 \
    -artifact_prefix="$build/artifacts/$target-" "$@" >"$log" 2>&1; then
    echo "fuzz_$target: an input of the corpus fails (see $log):"
    grep -a -m 1 -A 12 -e '^fuzz target:' -e 'ERROR:' -e 'runtime error:' "$log" || tail -n 20 "$log"
    return 1
  fi
  # A covered function's name, its file and line cut off, anonymous
  # namespaces dropped.
  local covered
  covered=$(sed -n 's/^COVERED_FUNC: hits: [0-9]* edges: [0-9/]* //p' "$log" |
    sed -e 's/ [^ ]*$//' -e 's/(anonymous namespace):://g')
  # A name is reached when a covered name begins with it, after the return
  # type that templates show, and goes on with its parameter list, template
  # arguments or ABI tag; a name with a "(" only has to begin it.
  local missing
  missing=$(awk '
    NR == FNR { covered[NR] = $0; count = NR; next }
    {
      for (i = 1; i <= count; ++i) {
        name = covered[i]
        at = index(name, $0)
        if (at == 1 || (at > 1 && substr(name, at - 1, 1) == " " && at < index(name, "("))) {
          rest = substr(name, at + length($0), 1)
          if (index($0, "(") || rest == "" || rest == "(" || rest == "<" || rest == "[") next
        }
      }
      print "  " $0
    }
  ' <(echo "$covered") <(echo "$wanted"))
  local total
  total=$(echo "$wanted" | wc -l)
  if [ -n "$missing" ]; then
    echo "fuzz_$target: not reached ($(echo "$missing" | wc -l) of $total):"
    echo "$missing"
    return 1
  fi
  echo "fuzz_$target: reaches all $total functions it is meant to reach"
}

# Runs one target with limit options over the grown corpus and the seeds.
fuzz_one() {
  local target=$1
  shift
  mkdir -p "$build/corpus/$target" "$build/artifacts"
  echo "== fuzz_$target $*"
  # shellcheck disable=SC2046
  nice -n 19 "$build/fuzz_$target" $(options "$target") "$@" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "$root/fuzz/corpus/$target" </dev/null
}

[ $# -ge 1 ] || usage
mode=$1
shift
case $mode in
  run | smoke)
    [ $# -ge 1 ] || usage
    count=$1
    shift
    ;;
  coverage) ;;
  *) usage ;;
esac
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(all_targets)

status=0
for target in "${targets[@]}"; do
  case $mode in
    run) fuzz_one "$target" "-max_total_time=$count" || status=1 ;;
    smoke)
      # The time limit only guards CI against a target that became slow.
      # A fixed seed makes the same inputs every time: a smoke run that
      # fails names a change, not a lucky draw (finding new faults is what
      # "run" is for).
      fuzz_one "$target" "-runs=$count" -seed=1 -max_total_time=60 || status=1
      check_reach "$target" "$root/fuzz/corpus/$target" || status=1
      ;;
    coverage)
      mkdir -p "$build/corpus/$target"
      check_reach "$target" "$build/corpus/$target" "$root/fuzz/corpus/$target" || status=1
      ;;
  esac
done
exit $status
