# Streams as the output (standard output, a descriptor, a FIFO) are written
# directly and the document is copied nowhere: TMPDIR stays empty. A pipe
# whose reader goes away early ends the save with exit 8 and the system's
# reason. With standard output closed, /dev/stdout is not taken for a file
# the run opened: the save fails (exit 8) and the document stays as it was.
source "$BRINDLE_CASE_HELPERS"
write_list 20000 doc.xml
cp doc.xml before.xml
"$BRINDLE" before.xml /output:expected.xml /display:none || exit 1

"$BRINDLE" doc.xml /output:/dev/stdout /display:none | cmp -s - expected.xml &&
  echo "standard output: exit ${PIPESTATUS[0]}, the whole document"
mkfifo fifo
cat fifo > received &
"$BRINDLE" doc.xml /output:fifo /display:none
echo "FIFO: exit $?"
wait
cmp -s received expected.xml && echo "the whole document came through the FIFO"
rm fifo received
# The reader stops after 10 bytes; the messages still reach the terminal.
"$BRINDLE" doc.xml /output:/dev/fd/3 3> >(head -c 10 > /dev/null) 2>&1 | tail -n +5  # past the banner
echo "pipe read in part: exit ${PIPESTATUS[0]}"
"$BRINDLE" doc.xml /output:/dev/stdout >&- 2>/dev/null
echo "standard output closed: exit $?"
cmp -s doc.xml before.xml && echo "document unchanged"
echo "temporary files:" $(ls -A "$TMPDIR")
