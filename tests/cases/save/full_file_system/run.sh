# The file system of the document is full: the temporary copy cannot be
# written, so the save fails and the document stays as it was, with no
# temporary beside it. The small file system is mounted in a private mount
# namespace: as root, or as a user where user namespaces are allowed.
mkdir fs
namespace=
for flags in -m -rm; do
  if unshare "$flags" true 2>/dev/null; then namespace=$flags; break; fi
done
[ -n "$namespace" ] || { echo "no mount namespace can be made here"; exit 77; }
unshare "$namespace" bash -c '
  # 64 KiB hold the 46 KB document once, not twice.
  mount -t tmpfs -o size=64k brindle-full fs 2>/dev/null || { echo "tmpfs cannot be mounted here"; exit 77; }
  cp doc.xml fs/doc.xml
  "$BRINDLE" fs/doc.xml /indent
  code=$?
  echo "exit $code"
  cmp -s doc.xml fs/doc.xml && echo "document unchanged"
  echo "files:" $(ls -A fs)
  exit $code
'
