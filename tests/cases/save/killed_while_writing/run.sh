# The process is killed while it saves a large document: at its fourth
# write into the temporary copy, and again just before the rename. The
# document stays as it was each time; what a kill leaves is a hidden
# temporary (.doc.xml.brindle-XXXXXX) that no one takes for the document.
# The next save beside it removes the temporaries of runs that died (the
# second killed run removes the first one's), and leaves none of its own.
source "$BRINDLE_CASE_HELPERS"
require_strace
write_list 100000 doc.xml
cp doc.xml before.xml
"$BRINDLE" before.xml /output:expected.xml /display:none || exit 1

earlier=$(writes_before_temporary doc.xml)

# The shell's own "Killed" notices go to /dev/null.
{ strace -f -o /dev/null -e trace=write -e inject=write:signal=KILL:when=$((earlier + 4)) \
    "$BRINDLE" doc.xml /display:none; } 2>/dev/null
echo "killed while writing: $?"
cmp -s doc.xml before.xml && echo "document unchanged"
{ strace -f -o /dev/null -e trace=rename,renameat,renameat2 \
    -e inject=rename,renameat,renameat2:signal=KILL "$BRINDLE" doc.xml /display:none; } 2>/dev/null
echo "killed before the rename: $?"
cmp -s doc.xml before.xml && echo "document unchanged"
ls -A | sed 's/brindle-....../brindle-XXXXXX/'

"$BRINDLE" doc.xml /display:none
echo "next run: $?"
cmp -s doc.xml expected.xml && echo "document saved"
ls -A | sed 's/brindle-....../brindle-XXXXXX/'
