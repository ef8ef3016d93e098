# The process is killed while it saves a large document: at its fourth
# write into the temporary copy, and again just before the rename. The
# document stays as it was each time; what a kill leaves is a hidden
# temporary (.doc.xml.brindle-XXXXXX) that no one takes for the document,
# and the next run neither trips on it nor leaves one of its own.
command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
strace -o /dev/null true 2>/dev/null || { echo "processes cannot be traced here"; exit 77; }
{
  printf '<?xml version="1.0"?>\n<list>\n'
  for i in $(seq 100000); do printf '<item n="%d">some text for the item, and more text</item>\n' "$i"; done
  printf '</list>\n'
} > doc.xml
cp doc.xml before.xml
"$BRINDLE" before.xml /output:expected.xml /display:none || exit 1

# How many writes come before the temporary exists (a sanitizer build makes
# some of its own), counted on a copy; 64 KiB goes out per write after it.
mkdir calibrate && cp doc.xml calibrate/doc.xml
strace -f -o calibrate/trace -e trace=write,openat "$BRINDLE" calibrate/doc.xml /display:none 2>/dev/null
earlier=$(awk '/O_EXCL/ { print writes + 0; exit } / write\(/ { writes++ }' calibrate/trace)
rm -r calibrate

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
