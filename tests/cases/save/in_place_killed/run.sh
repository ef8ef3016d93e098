# A document with two hard links is written in place, and the run is
# killed (SIGKILL, which nothing can catch) at its third write into the
# document, half way through. The previous content was kept, whole and on
# disk, before the first write: the next run refuses to work on the half
# written document and names that copy, which holds exactly the old bytes.
# Copied back as told, the document is whole again and runs work on it,
# removing what the killed run left.
source "$BRINDLE_CASE_HELPERS"
require_strace
write_list 20000 doc.xml
ln doc.xml other.xml
cp doc.xml before.xml
"$BRINDLE" before.xml /output:expected.xml /display:none || exit 1
state="$HOME/.local/state/brindle"
masked() { sed -e "s|$HOME|~|g" -e 's/in-place-[0-9]*-[0-9]*/in-place-DEVICE-INODE/'; }

# The shell's own "Killed" notice goes to /dev/null.
{ strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:signal=KILL:when=3 \
    "$BRINDLE" doc.xml /display:none; } 2>/dev/null
echo "killed while writing in place: $?"
cmp -s doc.xml before.xml || cmp -s doc.xml expected.xml || echo "document half written"
cp doc.xml half.xml
cmp -s "$state"/in-place-* before.xml && echo "the previous content is the old document"
"$BRINDLE" doc.xml 2>&1 | tail -n +5 | masked
echo "next run: ${PIPESTATUS[0]}"
cmp -s doc.xml half.xml && echo "document untouched by the refusing run"
rm half.xml
cp "$state"/in-place-* doc.xml && rm "$state"/in-place-*
"$BRINDLE" doc.xml /display:none
echo "after restoring: $?"
cmp -s doc.xml expected.xml && echo "document saved"
[ doc.xml -ef other.xml ] && echo "still one file with two names"
echo "files:" $(ls -A) "/ kept:" $(ls -A "$state")
