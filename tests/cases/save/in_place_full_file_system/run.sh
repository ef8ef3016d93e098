# A document that must be written in place grows, on a small file system
# that cannot hold its growth (tmpfs in a private mount namespace). The
# space is reserved before a byte of the document changes, so the save
# fails (exit 8) with the document byte for byte as it was and nothing left
# behind: neither a temporary nor the previous content kept meanwhile.
# First a document with two hard links (its temporary sits beside it), then
# one in a folder its user may not create files in (its temporary goes to
# TMPDIR), saved as nobody, who gets a state folder of its own. (The
# listing shows the folders the file systems were mounted on, empty.)
[ "$(id -u)" = 0 ] || { echo "mounting a file system needs root"; exit 77; }
unshare -m true 2>/dev/null || { echo "no mount namespace can be made here"; exit 77; }
mkdir "$HOME/nobody" && chown 65534:65534 "$HOME/nobody"
# 4,000 short elements on one line: 52 KB, 13 pages; indented 64 KB, 16.
{
  printf '<list>'
  for i in $(seq 4000); do printf '<i>abcdef</i>'; done
  printf '</list>\n'
} > doc.xml
mkdir linked closed
unshare -m bash -c '
  as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
  show() {
    echo "exit $1"
    cmp -s doc.xml "$2/doc.xml" && echo "document unchanged"
    echo "files:" $(ls -A "$2") "/ temporary files:" $(ls -A "$TMPDIR") \
      "/ kept:" $(ls -A "${XDG_STATE_HOME:-$HOME/.local/state}/brindle")
  }
  # The document (13 pages) and its new copy (16) fit; 3 pages more do not.
  mount -t tmpfs -o size=116k brindle-linked linked 2>/dev/null ||
    { echo "tmpfs cannot be mounted here"; exit 77; }
  cp doc.xml linked/doc.xml && ln linked/doc.xml linked/other.xml
  "$BRINDLE" linked/doc.xml /indent
  show $? linked
  # Only the document fits; its copy is made in TMPDIR.
  mount -t tmpfs -o size=56k,mode=555 brindle-closed closed
  install -m 666 doc.xml closed/doc.xml
  export XDG_STATE_HOME="$HOME/nobody"
  as_nobody "$BRINDLE" closed/doc.xml /indent 2>&1 | tail -n +5  # past the banner
  show "${PIPESTATUS[0]}" closed
'
