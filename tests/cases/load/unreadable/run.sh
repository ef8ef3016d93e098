# As root the permission bits would not stop the read: run as nobody.
chmod 000 doc.xml
if [ "$(id -u)" = 0 ]; then exec setpriv --reuid=65534 --regid=65534 --clear-groups "$BRINDLE" doc.xml; fi
exec "$BRINDLE" doc.xml
