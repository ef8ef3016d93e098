# A fault signal while the program waits on a FIFO given as its document:
# the report lands in $XDG_DATA_HOME/brindle, the user is told on standard
# error, and the exit status is 255. The sanitizers must leave the signal to the program.
export ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0
mkfifo doc.xml
# The file exists before the program starts, so that the wait below never
# looks for it before the shell has opened it for the program.
: > output.txt
"$BRINDLE" doc.xml > output.txt 2> errors.txt &
pid=$!
for _ in $(seq 200); do grep -q "Loading document" output.txt && break; sleep 0.05; done
sleep 0.2
kill -SEGV $pid
wait $pid
status=$?
cat output.txt
echo "--- standard error:"
sed -e "s|$XDG_DATA_HOME|{data}|" -e 's|_[0-9]\{4\}-[0-9_-]*\.dmp|_{time}.dmp|' errors.txt
echo "exit $status"
report=$(ls "$XDG_DATA_HOME"/brindle/)
case "$report" in
  brindle_[0-9]*.[0-9]*.[0-9]*.[0-9]*_x86_64_[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]_[0-9][0-9][0-9][0-9][0-9][0-9]_[0-9][0-9][0-9].dmp)
    echo "report name matches" ;;
  *) echo "unexpected report name: $report" ;;
esac
grep -q "^Signal: 11 SIGSEGV" "$XDG_DATA_HOME/brindle/$report" && echo "report names the signal"
grep -q "^Backtrace:" "$XDG_DATA_HOME/brindle/$report" && echo "report has a backtrace"
# Its frames, one a line as "<object>(<symbol>+<offset>)[<address>]", reach
# into the program itself.
sed -n '/^Backtrace:/,/^Memory map:/p' "$XDG_DATA_HOME/brindle/$report" |
  grep -q "brindle(.*)\[0x[0-9a-f]*\]$" && echo "backtrace holds the program's frames"
grep -q "^Memory map:" "$XDG_DATA_HOME/brindle/$report" && echo "report has the memory map"
rm output.txt errors.txt doc.xml
