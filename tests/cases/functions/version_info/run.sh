# VersionInfo: the strings of a Windows executable's version resource.
source "$(dirname "$0")/../functions.sh"
"$BRINDLE_MAKE_PE" app.exe --version 4.2.0.17 \
  --string 'CompanyName=Example Corp' \
  --string 'ProductName=Brindle Test' \
  --string $'FileDescription= \t Release build \r\n' \
  --string 'LegalCopyright=© 2024 Grüße ✓' \
  --string 'Comments=' \
  --string 'FileVersion=4.2.0.17'
"$BRINDLE_MAKE_PE" de.dll --pe32plus --table 040704e4 --translation 0407:04e4 \
  --string 'ProductName=Prüfprogramm'
run changes.txt /indent

# A name that the string table does not hold: 1813.
fails 'var v = @VersionInfo("app.exe", "PrivateBuild");'
# Strings under another language than the first translation's are not
# found, though the file version is.
"$BRINDLE_MAKE_PE" mismatch.exe --version 1.2.3.4 --table 040904b0 --translation 0407:04e4 \
  --string 'ProductName=Elsewhere'
briefly '@VersionInfo("mismatch.exe", "ProductName")'
briefly '@Version("mismatch.exe", "#.#.#.#")'

# A version resource with an empty translation table names no string
# table: 259.
"$BRINDLE_MAKE_PE" untranslated.exe --version 3.1.4.1 --string 'ProductName=Brindle' \
  --damage empty-translation
briefly '@VersionInfo("untranslated.exe", "ProductName")'
briefly '@Version("untranslated.exe", "#.#.#.#")'

# A file without a version resource fails as for Version.
printf 'plain text\n' >readme.txt
"$BRINDLE_MAKE_PE" no-resources.exe --damage no-resources
"$BRINDLE_MAKE_PE" no-version.exe --damage no-version
"$BRINDLE_MAKE_PE" no-translation.exe --string 'ProductName=Brindle' --damage no-translation
"$BRINDLE_MAKE_PE" loop.exe --string 'ProductName=Brindle' --damage loop
for file in missing.exe readme.txt no-resources.exe no-version.exe no-translation.exe loop.exe; do
  briefly "@VersionInfo(\"$file\", \"ProductName\")"
done

# The name is a string.
briefly '@VersionInfo("app.exe", 3)'
