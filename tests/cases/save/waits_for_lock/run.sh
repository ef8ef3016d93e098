# Another holds the document's lock (flock(1), as a run of brindle would)
# for two seconds: the run waits for it, says so once it has waited a
# second, and then loads and saves the document as usual. The same for a
# missing document created with /create, whose folder is locked instead.
command -v flock >/dev/null || { echo "flock is not installed (util-linux)"; exit 77; }
hold() {  # hold PATH: locks PATH for two seconds, in the background
  rm -f held
  flock "$1" sh -c ': > held; sleep 2' &
  while [ ! -e held ]; do sleep 0.05; done
}
hold doc.xml
"$BRINDLE" doc.xml ?/config/name changed
echo "exit $?"
wait
hold .
"$BRINDLE" new.xml /create | tail -n +5  # past the banner
echo "exit ${PIPESTATUS[0]}"
wait
rm held
