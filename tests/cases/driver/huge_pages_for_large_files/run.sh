# A run that names a file of 32 MiB or more (here a sparse one, passed as a
# user argument) starts again with glibc's malloc asking for huge pages:
# the tunable is added to GLIBC_TUNABLES and the user's own tunables are
# kept. A run on smaller files, or one whose environment already decides
# the tunable, starts once. Each run still does its work.
command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
strace -o /dev/null true 2>/dev/null || { echo "processes cannot be traced here"; exit 77; }
printf '<r><v>old</v></r>\n' > doc.xml
truncate -s 32M large.bin
truncate -s 33554431 almost.bin

# LeakSanitizer cannot work under a tracer and would fail the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
starts() {  # the programs a run started, one line each, then its tunables
  strace -f -v -s 200 -e trace=execve -o trace "$@" >/dev/null 2>&1
  echo "exit $?"
  sed -n 's/.*execve("\([^"]*\)".*/\1/p' trace | sed 's|.*/||'
  grep -o 'GLIBC_TUNABLES=[^"]*' trace | sort -u
  grep -o '<v>[^<]*</v>' doc.xml
}
echo "== large"
GLIBC_TUNABLES=glibc.malloc.arena_max=2 starts "$BRINDLE" doc.xml ?/r/v one large.bin /display:none
echo "== small"
starts "$BRINDLE" doc.xml ?/r/v two almost.bin /display:none
echo "== decided"
GLIBC_TUNABLES=glibc.malloc.hugetlb=0 starts "$BRINDLE" doc.xml ?/r/v three large.bin /display:none
