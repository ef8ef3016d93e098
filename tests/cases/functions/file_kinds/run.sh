# The seven file functions take regular files only: a missing file fails
# with 2; a folder, a device, a pipe or a file without read permission
# with 5, and nothing waits for a pipe or reads a device forever.
source "$(dirname "$0")/../functions.sh"
mkdir folder
mkfifo fifo
printf 'secret\n' >unreadable.bin
chmod 000 unreadable.bin
ln -s folder link-to-folder
ln -s missing.bin dangling-link

calls=(
  '@Version("%s", "#.#.#.#")'
  '@VersionInfo("%s", "ProductName")'
  '@Size("%s", "B", "")'
  '@LastWriteTime("%s", "yyyy", "")'
  '@LastAccessTime("%s", "yyyy", "")'
  '@CreationTime("%s", "yyyy", "")'
  '@Hash("%s", "")'
)
each_call() {  # FILE
  for call in "${calls[@]}"; do
    # shellcheck disable=SC2059  # each call is a format
    briefly "$(printf "$call" "$1")"
  done
}
for file in missing.bin dangling-link folder link-to-folder /dev/zero fifo; do
  each_call "$file"
done

# Without read permission (root reads everything, so the program runs as
# nobody then).
cat >brindle-as-nobody <<END
#!/bin/bash
if [ "\$(id -u)" = 0 ]; then exec setpriv --reuid=65534 --regid=65534 --clear-groups "$BRINDLE" "\$@"; fi
exec "$BRINDLE" "\$@"
END
chmod 755 brindle-as-nobody
BRINDLE=$PWD/brindle-as-nobody each_call unreadable.bin

# An empty name is the current folder.
briefly '@Size("", "B", "")'
