# A fault while the program loads a large document: Wine turns the signal
# into an access violation, the program writes a minidump under the user's
# local application data folder, tells the user where on standard error,
# and exits with 255.
# A signal that lands inside Wine's own heap code is caught there and taken
# for a failed allocation (exit 5): then the run is tried again, up to three
# times; a program without its crash handler fails every time.
command -v pkill >/dev/null || { echo "pkill is not installed (procps)"; exit 77; }
source "$BRINDLE_CASE_HELPERS"
write_list 400000 doc.xml
for _ in 1 2 3; do
  : > output.txt
  "$BRINDLE" "$PWD/doc.xml" /indent > output.txt 2> errors.txt &
  for _ in $(seq 400); do grep -q "Loading document" output.txt && break; sleep 0.05; done
  sleep 0.2
  # The Windows process is Wine's, not the wrapper's that $! names; the
  # work folder's name is this run's alone.
  pkill -SEGV -f "brindle.exe $PWD/doc.xml"
  wait $!
  status=$?
  [ "$status" = 255 ] && break
done
tr -d '\r' < output.txt
echo "--- standard error:"
tr -d '\r' < errors.txt | sed -e 's|^C:\\.*\\brindle\\|{data}\\|' -e 's|_[0-9.]*_x64_[0-9]\{4\}-[0-9_-]*\.dmp|_{version}_x64_{time}.dmp|'
echo "exit $status"
name=$(tr -d '\r' < errors.txt | grep '\.dmp$')
if [ -n "$name" ]; then
  dump=$(unix_path "$name")
  [ "$(head -c 4 "$dump")" = MDMP ] && echo "the dump is a minidump"
  rm -f "$dump"
fi
rm -f output.txt errors.txt doc.xml
