chmod 444 doc.xml
as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }
as_user "$BRINDLE" doc.xml /indent
