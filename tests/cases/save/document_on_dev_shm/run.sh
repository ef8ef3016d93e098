# /dev/shm holds ordinary files: a document there is replaced like any
# other, never appended to as if it were a device.
[ -d /dev/shm ] && [ -w /dev/shm ] || { echo "/dev/shm is not writable here"; exit 77; }
shm=$(mktemp -d /dev/shm/brindle-case-XXXXXX) || exit 1
trap 'rm -rf "$shm"' EXIT
cp doc.xml "$shm/doc.xml"
"$BRINDLE" "$shm/doc.xml" /indent /display:none
echo "exit $?"
cat "$shm/doc.xml"
echo "files:" $(ls -A "$shm")
