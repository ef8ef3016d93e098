# LastWriteTime, LastAccessTime and CreationTime: a file's times in UTC,
# written by date and time pictures.
source "$(dirname "$0")/../functions.sh"
touch -d '2024-05-06 07:08:09 UTC' stamped.txt
touch -a -d '2023-12-31 23:59:58 UTC' stamped.txt
touch -d '2000-02-29 12:30:05 UTC' noon.txt
touch -d '2000-01-01 00:00:00 UTC' midnight.txt
touch -d '1969-12-31 23:59:59 UTC' 1969.txt
run changes.txt /indent

# Each time as date -u writes the seconds that stat reports, for a file
# written just now and for stamped.txt, born now but written in 2024.
# Where the file system records no birth time (stat's %W is 0),
# CreationTime fails with 50 instead of returning another time.
echo fresh >fresh.txt
agrees() {  # FUNCTION FILE SECONDS
  local call="@$1(\"$2\", \"yyyy-MM-dd\", \"HH:mm:ss\")"
  local expected="$call -> \"$(date -u -d "@$3" '+%Y-%m-%d %H:%M:%S')\""
  if [ "$3" = 0 ] || [ "$3" = - ]; then
    expected="$call -> exit 6: The request is not supported. (50)"
  fi
  local actual
  actual=$(briefly "$call")
  if [ "$actual" = "$expected" ]; then
    echo "$1 of $2 agrees with stat and date -u"
  else
    echo "$1 of $2: $actual, expected $expected"
  fi
}
for file in fresh.txt stamped.txt; do
  agrees LastWriteTime "$file" "$(stat -c %Y "$file")"
  agrees LastAccessTime "$file" "$(stat -c %X "$file")"
  agrees CreationTime "$file" "$(stat -c %W "$file")"
done

# /proc records no birth times. C is CreationTime.
briefly '@CreationTime("/proc/version", "yyyy", "")'
briefly '@C("/proc/version", "", "HH")'

# A picture may produce up to 127 characters; one more fails with 122.
dashes() { printf '%*s' "$1" '' | tr ' ' -; }
shorten() { sed 's/-\{128\}/<128 dashes>/g; s/-\{127\}/<127 dashes>/g'; }
briefly "@LastWriteTime(\"stamped.txt\", \"$(dashes 127)\", \"\")" | shorten
briefly "@LastWriteTime(\"stamped.txt\", \"$(dashes 128)\", \"\")" | shorten
briefly "@LastAccessTime(\"stamped.txt\", \"\", \"$(dashes 127)\")" | shorten
briefly "@LastAccessTime(\"stamped.txt\", \"\", \"$(dashes 128)\")" | shorten

# Missing files, and pictures that are no strings.
briefly '@LastWriteTime("missing.txt", "yyyy", "")'
briefly '@LastAccessTime("missing.txt", "", "")'
briefly '@CreationTime("missing.txt", "yyyy", "")'
briefly '@LastWriteTime("stamped.txt", 2024, "")'
