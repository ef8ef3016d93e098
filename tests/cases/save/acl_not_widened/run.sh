# A folder whose default ACL lets another user (nobody) read what is
# created in it. A document there without an ACL of its own, readable by
# its owner and group only, stays so after a save: the replacement does not
# take the folder's ACL. A document with an ACL keeps exactly that ACL, and
# a new document gets what any program's new file gets there.
command -v setfacl >/dev/null || { echo "setfacl is not installed (apt-get install acl)"; exit 77; }
[ "$(id -u)" = 0 ] || { echo "reading as another user needs root"; exit 77; }
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
mkdir shared
setfacl -d -m u:65534:r shared 2>/dev/null || { echo "this file system has no ACLs"; exit 77; }
# Made without the folder's ACL, then given their own.
for name in private granted; do
  install -m 640 doc.xml "shared/$name.xml" && setfacl -b "shared/$name.xml"
done
setfacl -m u:65534:r shared/granted.xml
getfacl -cpn shared/granted.xml > granted.before
: > shared/by-shell.xml

for name in private granted new; do
  "$BRINDLE" "shared/$name.xml" /indent /create /display:none
  echo "$name: exit $?"
done
echo "== private.xml"
getfacl -cpn shared/private.xml
as_nobody cat shared/private.xml >/dev/null 2>&1 || echo "nobody cannot read it"
echo "== granted.xml"
getfacl -cpn shared/granted.xml | cmp -s - granted.before && echo "its ACL is as it was"
as_nobody cat shared/granted.xml >/dev/null 2>&1 && echo "nobody can read it"
echo "== new.xml"
diff <(getfacl -cpn shared/by-shell.xml) <(getfacl -cpn shared/new.xml) && echo "the rights of a file the shell creates there"
