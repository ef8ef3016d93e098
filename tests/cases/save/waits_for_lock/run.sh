# Another holds the document's lock (flock(1), as a run of brindle would):
# the run waits for it, says so once it has waited a second, and when the
# lock is let go loads and saves the document as usual. The same for a
# missing document created with /create, whose folder is locked instead.
command -v flock >/dev/null || { echo "flock is not installed (util-linux)"; exit 77; }
# run_while_held PATH ARGUMENT...: runs brindle while PATH is locked, lets
# the lock go once the run says it waits (or has ended, or half a minute has
# passed), and shows the run's output past the banner, and its exit code.
run_while_held() {
  local path=$1
  shift
  rm -f held release output
  flock "$path" sh -c ': > held; while [ ! -e release ]; do sleep 0.05; done' &
  local holder=$!
  while [ ! -e held ]; do sleep 0.05; done
  "$BRINDLE" "$@" > output &
  local run=$!
  local deadline=$((SECONDS + 30))
  while ((SECONDS < deadline)) && kill -0 "$run" 2>/dev/null && ! grep -q '^Waiting' output; do
    sleep 0.05
  done
  : > release
  wait "$holder"
  wait "$run"
  local code=$?
  tail -n +5 output
  echo "exit $code"
  rm held release output
}
run_while_held doc.xml doc.xml ?/config/name changed
run_while_held . new.xml /create
