# Version: the file version of a Windows executable, formatted; the files
# that have none, or whose version resource is damaged.
source "$(dirname "$0")/../functions.sh"
"$BRINDLE_MAKE_PE" app.exe --version 2.10.300.4
"$BRINDLE_MAKE_PE" app64.dll --pe32plus --version 65535.0.7.65535
"$BRINDLE_MAKE_PE" zero.exe --version 0.0.0.0
run changes.txt app.exe /indent

# Not a Windows executable, or one without a resource section: 1812.
printf 'plain text, long enough to hold a DOS header if it were one ......\n' >readme.txt
printf 'MZ' >tiny.exe
"$BRINDLE_MAKE_PE" dos-only.exe --damage no-pe-signature
"$BRINDLE_MAKE_PE" no-resources.exe --damage no-resources
"$BRINDLE_MAKE_PE" no-resources64.exe --pe32plus --damage no-resources
fails 'var v = @Version("readme.txt", "#.#.#.#");'
for file in tiny.exe dos-only.exe no-resources.exe no-resources64.exe; do
  briefly "@Version(\"$file\", \"#\")"
done

# Resources, but no version resource, or one without a translation table:
# 1813.
"$BRINDLE_MAKE_PE" no-version.exe --damage no-version
"$BRINDLE_MAKE_PE" no-version64.exe --pe32plus --damage no-version
"$BRINDLE_MAKE_PE" no-translation.exe --damage no-translation
for file in no-version.exe no-version64.exe no-translation.exe; do
  briefly "@Version(\"$file\", \"#\")"
done

# A version resource whose fixed record lacks its signature: 13.
"$BRINDLE_MAKE_PE" bad-signature.exe --damage bad-signature
briefly '@Version("bad-signature.exe", "#")'

# Damaged images: 11, and nothing read outside the file.
for damage in truncated-header truncated-resource outside loop bad-length; do
  "$BRINDLE_MAKE_PE" "$damage.exe" --damage "$damage"
  "$BRINDLE_MAKE_PE" "$damage-64.exe" --pe32plus --damage "$damage"
  briefly "@Version(\"$damage.exe\", \"#\")"
  briefly "@Version(\"$damage-64.exe\", \"#\")"
done

# The format is a string.
briefly '@Version("app.exe", 1)'
