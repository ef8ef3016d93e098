# A document with two hard links is written in place, and writing into it
# fails (an I/O error injected with strace). When only the first write
# fails, the document is restored from the previous content kept before it
# was touched: exit 8, byte for byte as it was, nothing left. When every
# write after the first fails, restoring fails too: the document is half
# written, and both the complete new document and the previous content are
# kept and named, under names no clean-up removes. Until the user restores
# it, a run on the document and a save over it refuse and say how; once the
# previous content is copied back and deleted, runs work again.
source "$BRINDLE_CASE_HELPERS"
require_strace
# LeakSanitizer cannot work under a tracer and would fail the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
write_list 20000 doc.xml
ln doc.xml other.xml
cp doc.xml before.xml
"$BRINDLE" before.xml /output:expected.xml /display:none || exit 1
state="$HOME/.local/state/brindle"
masked() {
  sed -e "s|$HOME|~|g" -e 's/brindle-kept-....../brindle-kept-XXXXXX/' \
      -e 's/in-place-[0-9]*-[0-9]*/in-place-DEVICE-INODE/'
}
# Shows a run past its banner.
run() { "$@" 2>&1 | tail -n +5 | masked; echo "exit ${PIPESTATUS[0]}"; }
failing_writes() {
  run strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:error=EIO:when="$1" \
    "$BRINDLE" doc.xml
}
files() { echo "files:" $(ls -A | masked) "/ kept:" $(ls -A "$state" | masked); }

echo "== the first write fails"
failing_writes 1
cmp -s doc.xml before.xml && echo "document unchanged"
files
echo "== every write after the first fails"
failing_writes 2+
cmp -s doc.xml before.xml || echo "document changed"
files
cmp -s doc.xml.brindle-kept-* expected.xml && echo "the kept document is the new one"
cmp -s "$state"/in-place-* before.xml && echo "the previous content is the old document"
echo "== a run on the document"
run "$BRINDLE" doc.xml
echo "== a save over it"
run "$BRINDLE" before.xml /output:doc.xml
echo "== restored as told"
cp "$state"/in-place-* doc.xml && rm "$state"/in-place-* doc.xml.brindle-kept-*
"$BRINDLE" doc.xml /display:none
echo "exit $?"
cmp -s doc.xml expected.xml && echo "document saved"
[ doc.xml -ef other.xml ] && echo "still one file with two names"
files
