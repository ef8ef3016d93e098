# Size: a file's size in B, KB, MB, GB or TB, at the boundaries of the
# units, with each precision; and what Size refuses.
source "$(dirname "$0")/../functions.sh"
for size in 1023 1024 1536 1048575 1048576; do head -c "$size" /dev/zero >"$size.bin"; done
: >empty.bin
# Sparse files: they take no room on the disk.
truncate -s 1G 1GiB.bin
if ! truncate -s 1T 1TiB.bin 2>/dev/null; then
  echo "This file system cannot hold a sparse file of 1 TiB."
  exit 77
fi
ln -s 1536.bin link.bin
run changes.txt /indent

# The precision is an integer from -1 to 9 or "": anything else is an
# invalid parameter, reported at the first argument and found before the
# file is read.
fails 'var v = @Size("1536.bin", "KB", 10);'
briefly '@Size("1536.bin", "KB", 0 - 2)'
briefly '@Size("1536.bin", "KB", "3")'
briefly '@Size("1536.bin", "KB", " ")'
briefly '@Size("missing.bin", "KB", 10)'
# The unit is one of the five; the file name and the unit are strings.
briefly '@Size("1536.bin", "PB", "")'
briefly '@Size("1536.bin", "K", "")'
briefly '@Size("1536.bin", "", "")'
briefly '@Size("1536.bin", 1, "")'
briefly '@Size(1536, "B", "")'
# A missing file.
briefly '@Size("missing.bin", "B", "")'
