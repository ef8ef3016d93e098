# A run told to stop (SIGTERM, SIGHUP, SIGINT) at its fourth write into the
# temporary copy of a large document removes that copy and then ends as the
# signal ends any process (status 143, 129, 130): the document stays as it
# was and nothing is left beside it.
source "$BRINDLE_CASE_HELPERS"
require_strace
write_list 100000 doc.xml
cp doc.xml before.xml

earlier=$(writes_before_temporary doc.xml)

# The shell's own notices ("Terminated") go to /dev/null.
for signal in TERM HUP INT; do
  { strace -f -o /dev/null -e trace=write -e inject=write:signal="$signal":when=$((earlier + 4)) \
      "$BRINDLE" doc.xml /display:none; } 2>/dev/null
  echo "SIG$signal: $?"
  cmp -s doc.xml before.xml && echo "document unchanged"
  echo "files:" $(ls -A)
done
