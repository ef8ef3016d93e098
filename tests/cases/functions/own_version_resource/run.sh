# brindle.exe carries its version record as a VERSIONINFO resource: the
# version functions read it as they read any program's, and it agrees with
# the banner.
source "$(dirname "$0")/../functions.sh"
source "$BRINDLE_CASE_HELPERS"
# Inside a script string a backslash begins an escape ("\t" in "Z:\tmp" is a
# tab), so each one is doubled.
exe=$(printf 'Z:%s' "$(brindle_exe)" | tr / '\\' | sed 's/\\/\\\\/g')
banner=$("$BRINDLE" /? | tr -d '\r' | head -1 |
  sed -n 's/^brindle - Version \([0-9]*\)\.\([0-9]*\) (build \([0-9]*\))$/"\1.\2.\3"/p')
resource=$(briefly "@Version(\"$exe\", \"#.#.#\")" | sed 's/.* -> //')
if [ -n "$banner" ] && [ "$banner" = "$resource" ]; then
  echo "the banner and @Version agree"
else
  echo "banner $banner, resource $resource"
fi
for key in ProductName FileDescription CompanyName LegalCopyright; do
  briefly "@VersionInfo(\"$exe\", \"$key\")" | sed 's/.* -> /'"$key"': /'
done
