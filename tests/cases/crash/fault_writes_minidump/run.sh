# A fault while the program loads a large document: Wine turns the signal
# into an access violation, the program writes a minidump under the user's
# local application data folder, tells the user where, and exits with 255.
command -v pkill >/dev/null || { echo "pkill is not installed (procps)"; exit 77; }
source "$BRINDLE_CASE_HELPERS"
write_list 400000 doc.xml
: > output.txt
"$BRINDLE" "$PWD/doc.xml" /indent > output.txt &
for _ in $(seq 400); do grep -q "Loading document" output.txt && break; sleep 0.05; done
sleep 0.2
# The Windows process is Wine's, not the wrapper's that $! names; the work
# folder's name is this run's alone.
pkill -SEGV -f "brindle.exe $PWD/doc.xml"
wait $!
status=$?
tr -d '\r' < output.txt | sed -e 's|^C:\\.*\\brindle\\|{data}\\|' -e 's|_[0-9.]*_x64_[0-9]\{4\}-[0-9_-]*\.dmp|_{version}_x64_{time}.dmp|'
echo "exit $status"
dump=$(unix_path "$(tr -d '\r' < output.txt | grep '\.dmp$')")
[ "$(head -c 4 "$dump")" = MDMP ] && echo "the dump is a minidump"
rm -f "$dump" output.txt doc.xml
