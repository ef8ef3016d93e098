# A writable document in a folder the user may not create files in cannot
# be replaced by a rename: it is copied into in place, from a temporary in
# TMPDIR. When that temporary cannot be written (a file size limit), the
# document stays as it was; either way no temporary is left. As root the
# mode bits would not stop anything, so the runs drop to nobody, who gets a
# state folder of its own for the previous content kept while the document
# is overwritten.
as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }
if [ "$(id -u)" = 0 ]; then
  export XDG_STATE_HOME="$HOME/nobody-state"
  mkdir "$XDG_STATE_HOME" && chown 65534:65534 "$XDG_STATE_HOME"
fi
mkdir ro && mv doc.xml ro/doc.xml && chmod 666 ro/doc.xml && chmod 555 ro
cp ro/doc.xml before.xml
(ulimit -f 2; as_user "$BRINDLE" ro/doc.xml /indent /display:none)
echo "size limit: exit $?"
cmp -s ro/doc.xml before.xml && echo "document unchanged"
as_user "$BRINDLE" ro/doc.xml /display:none
echo "exit $?"
echo "temporary files:" $(ls -A "$TMPDIR")
