# Another user's symbolic links in a world-writable sticky folder, where the
# kernel protects links (fs.protected_symlinks=1, set for the case and put
# back after it): a run as root must neither write through one to the file
# it names nor create the file a dangling one names, just as the shell's
# ">>" may not. Both saves fail with exit 8 and change nothing.
[ "$(id -u)" = 0 ] || { echo "setting fs.protected_symlinks needs root"; exit 77; }
setting=/proc/sys/fs/protected_symlinks
before=$(cat "$setting" 2>/dev/null) || { echo "the kernel has no fs.protected_symlinks"; exit 77; }
echo 1 2>/dev/null > "$setting" || { echo "fs.protected_symlinks cannot be set here"; exit 77; }
trap 'echo "$before" > "$setting"' EXIT
as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }

mkdir sticky && chmod 1777 sticky
cp doc.xml victim.xml
as_other ln -s ../victim.xml sticky/link.xml
as_other ln -s ../created.xml sticky/dangling.xml
"$BRINDLE" doc.xml /output:sticky/link.xml /indent
echo "exit $?"
cmp -s doc.xml victim.xml && echo "victim.xml unchanged"
# Past the banner, which the first run showed.
"$BRINDLE" sticky/dangling.xml /create 2>&1 | tail -n +5
echo "exit ${PIPESTATUS[0]}"
[ -e created.xml ] || echo "created.xml was not created"
