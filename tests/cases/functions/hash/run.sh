# Hash: the SHA-1 or MD5 digest of a file, as sha1sum and md5sum compute it.
source "$(dirname "$0")/../functions.sh"
yes 'brindle hashes files' | head -c 1048576 >1MiB.bin
yes 'brindle hashes files' | head -c 1048577 >1MiB+1.bin
yes 'brindle hashes files' | head -c 3145733 >3MiB+5.bin
run changes.txt /indent

{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<hashes>'
  for file in empty.txt abc.txt 'with space.txt' 1MiB.bin 1MiB+1.bin 3MiB+5.bin; do
    sha1=$(sha1sum <"$file" | cut -d ' ' -f 1)
    md5=$(md5sum <"$file" | cut -d ' ' -f 1)
    echo "  <file name=\"$file\" default=\"$sha1\" sha1=\"$sha1\" md5=\"$md5\"/>"
  done
  echo '</hashes>'
} >expected.xml
diff -u expected.xml doc.xml && echo "doc.xml holds the digests of sha1sum and md5sum"

# Another algorithm is an invalid parameter, reported at the first argument
# and found before the file is read.
fails 'var v = @Hash("abc.txt", "SHA256");'
briefly '@Hash("abc.txt", "SHA-1")'
briefly '@Hash("abc.txt", "sha")'
briefly '@Hash("abc.txt", " md5")'
briefly '@Hash("missing.txt", "MD4")'
# A missing file.
briefly '@Hash("missing.txt", "")'
