#!/usr/bin/env bash
# Runs every row of the benchmark with brindle, the floor and each peer
# that is installed, alternately, and prints medians, the ratio
# brindle/program per row and peak memory. Installs no peer.
#
#   bench/run.sh [<build folder>]      (default: build-bench)
#
# The build folder must hold brindle and the bench programs (configure it
# with -DBRINDLE_BENCH=ON; "make bench" does all of it). Settings from the
# environment:
#   BENCH_STARTUP_RUNS  timed runs per program in row 1 (default 51)
#   BENCH_SMALL_RUNS    timed runs per program in rows 2 and 4 and on the
#                       smaller documents in rows 8 and 9 (default 21)
#   BENCH_RUNS          timed runs per program in rows 3, 5, 6 and 7 and on
#                       the 100 MB document in rows 8 and 9 (default 5)
#   BENCH_DIR           where the inputs go (default: $TMPDIR or /tmp); use a
#                       real disk, as the flush to disk is part of the work
#   BENCH_ROWS          the rows to run (default "1 2 3 4 5 6 7 8 9"; "3c"
#                       runs only the /preserve part of row 3)
#   BENCH_HASH_BYTES    size of the file hashed in row 6 (default 1 GiB)
set -Eeuo pipefail
trap 'echo "bench/run.sh: failed at line $LINENO" >&2' ERR

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build-bench}" && pwd)
brindle=$build/brindle
tools=$build/bench
runs=${BENCH_RUNS:-5}
small_runs=${BENCH_SMALL_RUNS:-21}
startup_runs=${BENCH_STARTUP_RUNS:-51}
rows=${BENCH_ROWS:-1 2 3 4 5 6 7 8 9}
hash_bytes=${BENCH_HASH_BYTES:-1073741824}

shim=$tools/flush_shim.so
for program in "$brindle" "$tools/floor" "$tools/generate" "$tools/measure" "$tools/canon" \
               "$shim"; do
  if [[ ! -e $program ]]; then
    echo "missing $program: build with -DBRINDLE_BENCH=ON (make bench)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/brindle-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- peers -----------------------------------------------------------------

python=
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import lxml' 2>/dev/null; then
    python=$candidate
    break
  fi
done
has() {
  case $1 in
    lxml) [[ -n $python ]] ;;
    *) command -v "$1" >/dev/null ;;
  esac
}
for peer in xmlstarlet:xmlstarlet xmllint:libxml2-utils lxml:python3-lxml md5sum:coreutils \
            openssl:openssl; do
  has "${peer%%:*}" || echo "skipped peer: ${peer%%:*} is not installed (apt-get install ${peer#*:})"
done

# --- the machine -----------------------------------------------------------

echo "## Machine"
echo
echo "- CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | sed -n 1p), $(nproc) cores"
# shellcheck source=/dev/null
echo "- kernel: $(uname -sr); $(. /etc/os-release && echo "$PRETTY_NAME")"
device=$(findmnt -no SOURCE -T "$work" 2>/dev/null || true)
rotational=$(lsblk -dno ROTA "$device" 2>/dev/null | sed -n 1p | tr -d " " || true)
echo "- work folder on ${device:-?} ($(findmnt -no FSTYPE -T "$work" 2>/dev/null || echo ?)," \
     "rotational=${rotational:-?})"
echo "- load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "- brindle: $("$brindle" /? 2>/dev/null | sed -n 1p || true)"
has xmlstarlet && echo "- xmlstarlet $(xmlstarlet --version | sed -n 1p)"
has xmllint && echo "- $(xmllint --version 2>&1 | sed -n 1p)"
has lxml && echo "- python lxml $("$python" -c 'import lxml.etree as e; print(".".join(map(str, e.LXML_VERSION)), "on libxml2", ".".join(map(str, e.LIBXML_VERSION)))')"
has md5sum && echo "- $(md5sum --version | sed -n 1p)"
has openssl && echo "- $(openssl version)"
echo "- timed runs per program: $startup_runs in row 1, $small_runs in rows 2 and 4," \
     "$runs in rows 3, 5, 6 and 7; in rows 8 and 9, $small_runs on the smaller documents" \
     "and $runs on the 100 MB one"
echo

# --- inputs ----------------------------------------------------------------

generate() { "$tools/generate" "$@"; }
doc_small=$work/small.xml; records_small=$(generate document 200 "$doc_small")
doc_1m=$work/1m.xml;       records_1m=$(generate document 1000000 "$doc_1m")
doc_100m=$work/100m.xml
if [[ " $rows " =~ " "(3|3c|7|8|9)" " ]]; then
  records_100m=$(generate document 100000000 "$doc_100m")
fi
value="Updated title"
# The record in the middle of the document, so that the selection walks it.
query() { echo "/catalog/record[@id='r$(( ($1 + 1) / 2 ))']/title"; }

# --- running a row ---------------------------------------------------------

# A row is a list of programs: add LABEL OUTPUT MEASURE-ARGUMENTS...
# OUTPUT is the file the program writes (removed before every run, checked
# once per row; a label that ends in "(reference)" is a yardstick doing
# other work, whose output is not compared); MEASURE-ARGUMENTS are those of
# bench/measure. A program added with "edit LABEL SOURCE FILE
# MEASURE-ARGUMENTS..." edits FILE in place instead, FILE being a fresh
# copy of SOURCE before every run.
#
# Every timed run of a row that reads the 100 MB document starts after
# warm_mib MiB of memory were touched and freed (measure -w), more than any
# program's peak there: on a virtual machine that hands free memory back to
# its host, a run's time otherwise depends on how long ago the run before it
# freed its memory (up to twice as long after a peer of 1 GB than after
# brindle).
large_warm_mib=1536
labels=(); outputs=(); sources=(); warm_mib=0
uses_large_document() {
  local argument
  for argument; do
    [[ -n ${doc_100m:-} && $argument == "$doc_100m" ]] && return 0
  done
  return 1
}
add() {
  labels+=("$1"); outputs+=("$2"); sources+=("")
  uses_large_document "${@:3}" && warm_mib=$large_warm_mib
  local quoted
  printf -v quoted '%q ' "${@:3}"
  eval "program_${#labels[@]}() { \"\$tools/measure\" -w \"\$warm_mib\" $quoted; }"
}
edit() {
  add "$1" "$3" "${@:4}"
  sources[-1]=$2
  uses_large_document "$2" && warm_mib=$large_warm_mib
  return 0
}
# shellcheck disable=SC2034  # warm_mib is read by the functions that add() defines
forget_row() { labels=(); outputs=(); sources=(); warm_mib=0; }
# The state before program K (from 1) runs: no output, or a fresh copy.
prepare() {
  local source=${sources[$1 - 1]} file=${outputs[$1 - 1]}
  if [[ -n $source ]]; then cp "$source" "$file"; else rm -f "$file"; fi
}

# shimmed SETTING...: sets "shimmed_brindle" to measure's options and the
# command that run brindle with the flush shim (bench/flush_shim.cpp) and
# those settings, set by measure itself so that no "env" process is timed.
shimmed() {
  local setting
  shimmed_brindle=(-e "LD_PRELOAD=$shim")
  for setting; do shimmed_brindle+=(-e "$setting"); done
  shimmed_brindle+=(-- "$brindle")
}

# Canonical digest of a document, or the digest a hash program printed.
fingerprint() {
  case $2 in
    hash) grep -oE '[0-9a-f]{32,40}' "$1" | sed -n 1p ;;
    *) "$tools/canon" "$1" | sha1sum | cut -c1-40 ;;
  esac
}

# run_row TITLE COUNT CHECK: one untimed run of every program (checking
# that the outputs agree), then COUNT rounds with the programs in turn,
# each round starting one program later. CHECK is "document", "hash" or
# "none".
run_row() {
  local title=$1 count=$2 check=$3 n=${#labels[@]} results=$work/results i round
  : >"$results"
  echo "### $title"
  echo
  local reference=
  for ((i = 1; i <= n; ++i)); do
    prepare "$i"
    local line
    line=$("program_$i")
    if [[ $(cut -d' ' -f3 <<<"$line") != 0 ]]; then
      echo "FAILED: ${labels[i - 1]} exited with $(cut -d' ' -f3 <<<"$line")"
      forget_row; return 1
    fi
    [[ $check == none || ${labels[i - 1]} == *"(reference)" ]] && continue
    local print
    print=$(fingerprint "${outputs[i - 1]}" "$check")
    if [[ -z $reference ]]; then
      reference=$print
    elif [[ $print != "$reference" ]]; then
      echo "MISMATCH: the output of ${labels[i - 1]} differs from brindle's"
    fi
  done
  for ((round = 0; round < count; ++round)); do
    for ((i = 0; i < n; ++i)); do
      local k=$(( (round + i) % n + 1 ))
      prepare "$k"
      # No program pays for the write-back of another's output.
      sync
      echo "$k $("program_$k")" >>"$results"
    done
  done
  # Medians per program; the ratio is brindle's median (the first program)
  # over the program's.
  awk -v names="$(printf '%s\n' "${labels[@]}")" '
    function median(list, count,    sorted, j, k, t) {
      for (j = 1; j <= count; ++j) sorted[j] = list[j]
      for (j = 2; j <= count; ++j)
        for (k = j; k > 1 && sorted[k - 1] > sorted[k]; --k) {
          t = sorted[k]; sorted[k] = sorted[k - 1]; sorted[k - 1] = t
        }
      return count % 2 ? sorted[(count + 1) / 2] : (sorted[count / 2] + sorted[count / 2 + 1]) / 2
    }
    BEGIN { split(names, name, "\n") }
    { c = ++count[$1]; wall[$1, c] = $2; rss[$1, c] = $3; cpu[$1, c] = $5 }
    END {
      printf "| %-40s | %10s | %10s | %9s | %13s |\n", "program", "median s", "CPU s", "peak MB", "brindle/this"
      printf "|%s|%s|%s|%s|%s|\n", "------------------------------------------", "-----------:", "-----------:", "----------:", "--------------:"
      for (p = 1; p in count; ++p) {
        for (j = 1; j <= count[p]; ++j) { w[j] = wall[p, j]; r[j] = rss[p, j]; u[j] = cpu[p, j] }
        mw[p] = median(w, count[p]); mr[p] = median(r, count[p]); mu[p] = median(u, count[p])
        printf "| %-40s | %10.4f | %10.4f | %9.1f | %13s |\n", name[p], mw[p], mu[p], mr[p] / 1024,
               p == 1 ? "" : sprintf("%.3f", mw[1] / mw[p])
      }
    }' "$results"
  echo
  forget_row
}

# --- the rows --------------------------------------------------------------

# Rows 1 to 3: one node updated from the command line, the save "plain",
# "indent" or "preserve" (brindle /preserve against its default save).
# brindle takes the heap of a large document in huge pages (it restarts
# itself with this tunable); the floor is shown with them too, for rows
# marked "huge".
huge_pages=GLIBC_TUNABLES=glibc.malloc.hugetlb=1
update_row() {
  local title=$1 doc=$2 records=$3 count=$4 save=$5 huge=${6:-} x out=$work/out
  x=$(query "$records")
  local shell_script=$work/xmllint-commands
  printf 'cd %s\nset %s\nsave %s\nquit\n' "$x" "$value" "$out-xmllint.xml" >"$shell_script"
  if [[ $save == preserve ]]; then
    # The first program is the one the ratios are of: /preserve against
    # the default save of the same update.
    add "brindle /preserve" "$out-brindle.xml" -- "$brindle" "$doc" "?$x" "$value" \
        /output "$out-brindle.xml" /preserve
    add "brindle (default save)" "$out-default.xml" -- "$brindle" "$doc" "?$x" "$value" \
        /output "$out-default.xml"
    has xmlstarlet && add "xmlstarlet ed -P" "$out-xmlstarlet.xml" \
        -o "$out-xmlstarlet.xml" -- xmlstarlet ed -P -u "$x" -v "$value" "$doc"
    has lxml && add "lxml" "$out-lxml.xml" \
        -- "$python" "$here/peer_lxml.py" update "$doc" "$x" "$value" "$out-lxml.xml"
  elif [[ $save == indent ]]; then
    add "brindle /indent" "$out-brindle.xml" -- "$brindle" "$doc" "?$x" "$value" \
        /output "$out-brindle.xml" /indent
    add "floor --indent" "$out-floor.xml" -- "$tools/floor" --indent "$doc" "$x" "$value" \
        "$out-floor.xml"
    add "floor --indent --noblanks" "$out-floor-noblanks.xml" -- "$tools/floor" --indent \
        --noblanks "$doc" "$x" "$value" "$out-floor-noblanks.xml"
    [[ $huge == huge ]] && add "floor --indent --noblanks, huge pages" "$out-floor-huge.xml" \
        -- env "$huge_pages" "$tools/floor" --indent --noblanks "$doc" "$x" "$value" \
        "$out-floor-huge.xml"
    has xmlstarlet && add "xmlstarlet ed (reindents)" "$out-xmlstarlet.xml" \
        -o "$out-xmlstarlet.xml" -- xmlstarlet ed -u "$x" -v "$value" "$doc"
    has lxml && add "lxml (remove_blank_text, pretty_print)" "$out-lxml.xml" \
        -- "$python" "$here/peer_lxml.py" update --indent "$doc" "$x" "$value" "$out-lxml.xml"
  else
    add "brindle" "$out-brindle.xml" -- "$brindle" "$doc" "?$x" "$value" \
        /output "$out-brindle.xml"
    add "floor" "$out-floor.xml" -- "$tools/floor" "$doc" "$x" "$value" "$out-floor.xml"
    add "floor --no-fsync (flush cost)" "$out-floor-nofsync.xml" \
        -- "$tools/floor" --no-fsync "$doc" "$x" "$value" "$out-floor-nofsync.xml"
    add "floor --noblanks" "$out-floor-noblanks.xml" \
        -- "$tools/floor" --noblanks "$doc" "$x" "$value" "$out-floor-noblanks.xml"
    [[ $huge == huge ]] && add "floor --noblanks, huge pages" "$out-floor-huge.xml" \
        -- env "$huge_pages" "$tools/floor" --noblanks "$doc" "$x" "$value" "$out-floor-huge.xml"
    has xmlstarlet && add "xmlstarlet ed -P" "$out-xmlstarlet.xml" \
        -o "$out-xmlstarlet.xml" -- xmlstarlet ed -P -u "$x" -v "$value" "$doc"
    has xmllint && add "xmllint --shell" "$out-xmllint.xml" \
        -i "$shell_script" -- xmllint --huge --shell "$doc"
    has lxml && add "lxml" "$out-lxml.xml" \
        -- "$python" "$here/peer_lxml.py" update "$doc" "$x" "$value" "$out-lxml.xml"
  fi
  run_row "$title" "$count" document
  rm -f "$out"-*.xml
}

row_1() { update_row "Row 1: one update, $(wc -c <"$doc_small")-byte document" "$doc_small" "$records_small" "$startup_runs" plain; }
row_2() { update_row "Row 2: one update, 1 MB document" "$doc_1m" "$records_1m" "$small_runs" plain; }
row_3() {
  update_row "Row 3a: one update, 100 MB document, saved without indentation" \
             "$doc_100m" "$records_100m" "$runs" plain huge
  update_row "Row 3b: one update, 100 MB document, saved with indentation" \
             "$doc_100m" "$records_100m" "$runs" indent huge
  row_3c
}
row_3c() {
  update_row "Row 3c: one update, 100 MB document, every other byte kept (/preserve)" \
             "$doc_100m" "$records_100m" "$runs" preserve
}

# Row 4: 1,000 set/add statements on the 1 MB document.
row_4() {
  local description=$work/edits.txt edit_list=$work/edits.tsv out=$work/out
  generate edits 1000 "$records_1m" "$description" "$edit_list"
  add "brindle" "$out-brindle.xml" -- "$brindle" "$doc_1m" "$description" /batch \
      /output "$out-brindle.xml"
  if has xmlstarlet; then
    # The same edits as one xmlstarlet call: each action names its node by
    # the path of the last "select".
    local -a actions=()
    local action a b selected=
    while IFS=$'\t' read -r action a b; do
      case $action in
        select) selected=$a ;;
        set-attribute) actions+=(-u "$selected/@$a" -v "$b") ;;
        add-attribute) actions+=(-s "$selected" -t attr -n "$a" -v "$b") ;;
        set-child) actions+=(-u "$selected/$a" -v "$b") ;;
        add-child-node) actions+=(-s "$selected" -t elem -n "$a" -v "$b") ;;
      esac
    done <"$edit_list"
    add "xmlstarlet ed -P (one call)" "$out-xmlstarlet.xml" -o "$out-xmlstarlet.xml" \
        -- xmlstarlet ed -P "${actions[@]}" "$doc_1m"
  fi
  has lxml && add "lxml" "$out-lxml.xml" \
      -- "$python" "$here/peer_lxml.py" edits "$doc_1m" "$edit_list" "$out-lxml.xml"
  run_row "Row 4: 1,000 set/add statements, 1 MB document" "$small_runs" document
  rm -f "$out"-*.xml
}

# Row 5: var/increment statements; no peer. The empty description file
# shows the start-up cost that the per-statement figures leave out.
row_5() {
  local out=$work/out statements
  for statements in 0 100000 1000000; do
    generate counter "$statements" "$work/counter-$statements.txt"
    add "brindle, $statements statements" "$out-$statements.xml" -- "$brindle" "$doc_small" \
        "$work/counter-$statements.txt" /batch /output "$out-$statements.xml"
  done
  # Not in a pipeline: the row's programs must be forgotten in this shell.
  run_row "Row 5: var/increment statements" "$runs" none >"$work/row5"
  cat "$work/row5"
  awk -F'|' '
    /^\| brindle,/ { split($2, words, " "); n[++k] = words[2] + 0; t[k] = $3 + 0 }
    END {
      printf "- 100,000 statements: %.2f million statements per second (whole run), %.2f (start-up left out)\n",
             n[2] / t[2] / 1e6, n[2] / (t[2] - t[1]) / 1e6
      printf "- 10x the statements take %.2fx the time (whole run), %.2fx (start-up left out)\n",
             t[3] / t[2], (t[3] - t[1]) / (t[2] - t[1])
    }' "$work/row5"
  echo
  rm -f "$out"-*.xml
}

# Row 6: MD5 and SHA-1 of a large file.
row_6() {
  local blob=$work/blob out=$work/out algorithm
  generate blob "$hash_bytes" "$blob"
  for algorithm in MD5 SHA1; do
    local lower=${algorithm,,}
    # shellcheck disable=SC2016  # $3 is the description file's own argument
    printf 'select root;\nset attribute %s @Hash($3, "%s");\n' "$lower" "$algorithm" \
        >"$work/hash-$lower.txt"
    add "brindle @Hash $algorithm" "$out-brindle.xml" -- "$brindle" "$doc_small" \
        "$work/hash-$lower.txt" "$blob" /batch /output "$out-brindle.xml"
    has openssl && add "openssl dgst -$lower" "$out-openssl.txt" -o "$out-openssl.txt" \
        -- openssl dgst "-$lower" "$blob"
    has md5sum && add "${lower}sum" "$out-sum.txt" -o "$out-sum.txt" -- "${lower}sum" "$blob"
    run_row "Row 6: $algorithm of a $((hash_bytes >> 20)) MiB file" "$runs" hash
  done
  rm -f "$blob" "$out"-*
}

# Row 7: every record of the 100 MB catalogue set, then removed: the title
# of each, from the command line (/all) and from a description file. The
# first program, one record updated, is the yardstick: the target is at
# most 1.3 times its time.
row_7() {
  local out=$work/out one all=/catalog/record/title
  one=$(query "$records_100m")
  printf 'remove nodes "%s";\n' "$all" >"$work/remove-all.txt"
  add "brindle, one record (reference)" "$out-one.xml" -- "$brindle" "$doc_100m" "?$one" \
      "$value" /output "$out-one.xml"
  add "brindle /all" "$out-brindle.xml" -- "$brindle" "$doc_100m" "?$all" "$value" /all \
      /output "$out-brindle.xml"
  has xmlstarlet && add "xmlstarlet ed -P -u (every match)" "$out-xmlstarlet.xml" \
      -o "$out-xmlstarlet.xml" -- xmlstarlet ed -P -u "$all" -v "$value" "$doc_100m"
  run_row "Row 7a: set nodes, every record of the 100 MB document" "$runs" document
  add "brindle, one record (reference)" "$out-one.xml" -- "$brindle" "$doc_100m" "?$one" \
      "$value" /output "$out-one.xml"
  add "brindle remove nodes" "$out-brindle.xml" -- "$brindle" "$doc_100m" \
      "$work/remove-all.txt" /batch /output "$out-brindle.xml"
  has xmlstarlet && add "xmlstarlet ed -P -d (every match)" "$out-xmlstarlet.xml" \
      -o "$out-xmlstarlet.xml" -- xmlstarlet ed -P -d "$all" "$doc_100m"
  run_row "Row 7b: remove nodes, every record of the 100 MB document" "$runs" document
  rm -f "$out"-*.xml
}

# Row 8: like with like. Every program edits a fresh copy of the document
# in place. First durable: brindle's default save against each peer
# followed by a flush of the file ("sync FILE"); then the work alone:
# brindle with its flushes made no-ops against the peers as they are.
row_8() {
  local size doc records count x file=$work/edit.xml shell_script=$work/xmllint-in-place
  for size in small 1m 100m; do
    doc=$work/$size.xml
    case $size in
      small) records=$records_small count=$small_runs ;;
      1m) records=$records_1m count=$small_runs ;;
      100m) records=$records_100m count=$runs ;;
    esac
    x=$(query "$records")
    printf 'cd %s\nset %s\nsave %s\nquit\n' "$x" "$value" "$file" >"$shell_script"
    local label durable flush
    shimmed BENCH_FLUSH=none
    for durable in yes no; do
      if [[ $durable == yes ]]; then
        label="durable" flush=(-s "$file")
        edit "brindle (its own flush)" "$doc" "$file" -- "$brindle" "$file" "?$x" "$value"
      else
        label="the work alone, nothing flushed" flush=()
        edit "brindle, flushes disabled" "$doc" "$file" \
            "${shimmed_brindle[@]}" "$file" "?$x" "$value"
      fi
      local then=${flush[*]:+, then sync FILE}
      has xmlstarlet && edit "xmlstarlet ed -L -P$then" "$doc" "$file" "${flush[@]}" \
          -- xmlstarlet ed -L -P -u "$x" -v "$value" "$file"
      has xmllint && edit "xmllint --shell save$then" "$doc" "$file" "${flush[@]}" \
          -i "$shell_script" -- xmllint --huge --shell "$file"
      has lxml && edit "lxml$then" "$doc" "$file" "${flush[@]}" \
          -- "$python" "$here/peer_lxml.py" update "$file" "$x" "$value" "$file"
      [[ $durable == yes ]] && edit "brindle, flushes disabled, then sync FILE" "$doc" \
          "$file" "${flush[@]}" "${shimmed_brindle[@]}" "$file" "?$x" "$value"
      run_row "Row 8 ($label): one update in place, $(wc -c <"$doc")-byte document" \
              "$count" document
    done
  done
  rm -f "$file"
}

# Row 9: how the save flushes, brindle alone, each run on a fresh copy
# edited in place. The first program is brindle as built (write-back
# started every 8 MiB, fsync at the end); the others change only that,
# through the shim: other windows, no write-back before one final fsync or
# fdatasync, and no flush of its own followed by "sync FILE".
row_9() {
  local size doc records count x file=$work/edit.xml window
  for size in 1m 100m; do
    doc=$work/$size.xml
    case $size in
      1m) records=$records_1m count=$small_runs ;;
      100m) records=$records_100m count=$runs ;;
    esac
    x=$(query "$records")
    edit "brindle as built" "$doc" "$file" -- "$brindle" "$file" "?$x" "$value"
    shimmed BENCH_WRITEBACK=0
    edit "no write-back, final fsync" "$doc" "$file" "${shimmed_brindle[@]}" "$file" "?$x" \
        "$value"
    shimmed BENCH_WRITEBACK=0 BENCH_FLUSH=fdatasync
    edit "no write-back, final fdatasync" "$doc" "$file" \
        "${shimmed_brindle[@]}" "$file" "?$x" "$value"
    for window in 1 4 8 32; do
      shimmed BENCH_WRITEBACK=$((window << 20))
      edit "write-back every $window MiB (shim)" "$doc" "$file" \
          "${shimmed_brindle[@]}" "$file" "?$x" "$value"
    done
    shimmed BENCH_FLUSH=none
    edit "no flush, then sync FILE" "$doc" "$file" -s "$file" \
        "${shimmed_brindle[@]}" "$file" "?$x" "$value"
    run_row "Row 9: how the save flushes, $(wc -c <"$doc")-byte document" "$count" document
  done
  rm -f "$file"
}

for row in $rows; do "row_$row"; done
echo "- load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
