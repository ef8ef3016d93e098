# Functions for the run.sh of a case; the runner names this file in
# $BRINDLE_CASE_HELPERS, and a script that wants them sources it.

# run_description FIRST_LINE STATEMENT...: writes the statements, one per
# line, as changes.txt, runs brindle on doc.xml with it, and shows the
# output from line FIRST_LINE on (past the banner and the load), the exit
# code, and "document unchanged" when doc.xml still equals original.xml.
run_description() {
  local first_line=$1
  shift
  printf '%s\n' "$@" > changes.txt
  "$BRINDLE" doc.xml changes.txt /batch 2>&1 | tail -n "+$first_line"
  echo "exit ${PIPESTATUS[0]}"
  if [[ -f original.xml ]] && cmp -s doc.xml original.xml; then echo "document unchanged"; fi
}

# require_strace: skips the case (exit 77) where strace is missing or may
# not trace here.
require_strace() {
  command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
  strace -o /dev/null true 2>/dev/null || { echo "processes cannot be traced here"; exit 77; }
}

# write_list COUNT FILE: writes a document of COUNT items, one a line, some
# 55 bytes each.
write_list() {
  {
    printf '<?xml version="1.0"?>\n<list>\n'
    for i in $(seq "$1"); do printf '<item n="%d">some text for the item, and more text</item>\n' "$i"; done
    printf '</list>\n'
  } > "$2"
}

# writes_before_temporary FILE: how many writes a save of a copy of FILE
# makes before it creates its temporary copy (a sanitizer build makes some
# of its own); after that, 64 KiB goes out per write.
writes_before_temporary() {
  local folder
  folder=$(mktemp -d calibrate.XXXXXX) && cp "$1" "$folder/doc.xml" || return 1
  strace -f -o "$folder/trace" -e trace=write,openat "$BRINDLE" "$folder/doc.xml" /display:none 2>/dev/null
  awk '/O_EXCL/ { print writes + 0; exit } / write\(/ { writes++ }' "$folder/trace"
  rm -r "$folder"
}

# preserve_round_trip_and_edit DOC DESCRIPTION [ENCODING]: runs brindle on
# DOC with /preserve and nothing to do, and says whether DOC was left
# alone (same bytes, same inode, same modification time); then applies
# DESCRIPTION with /preserve, saving to edited.xml, and shows the lines
# that changed as a unified diff, converted from ENCODING when given. A
# carriage return shows as "\r", so that the diff reads the same on every
# system (the runner turns a Windows program's CR LF output into LF).
preserve_round_trip_and_edit() {
  local doc=$1 changes=$2 encoding=${3-} before after
  cp "$doc" original.copy
  before=$(stat -c '%i %y' "$doc")
  "$BRINDLE" "$doc" /preserve /display:none
  echo "round trip: exit $?"
  after=$(stat -c '%i %y' "$doc")
  if [[ $before == "$after" ]] && cmp -s "$doc" original.copy; then echo "round trip: untouched"; fi
  rm original.copy
  "$BRINDLE" "$doc" "$changes" /batch /preserve /output:edited.xml /display:none
  echo "edit: exit $?"
  if [[ -n $encoding ]]; then
    diff -u --label "$doc" --label edited.xml <(iconv -f "$encoding" -t UTF-8 "$doc") \
      <(iconv -f "$encoding" -t UTF-8 edited.xml)
  else
    diff -u --label "$doc" --label edited.xml "$doc" edited.xml
  fi | sed 's/\r$/\\r/'
  return 0
}

# round_trip ENCODING...: saves doc.xml in each encoding and reads it back,
# printing both exit codes, and says when the text that comes back differs
# from doc.xml's (characters an encoding lacks come back from references).
round_trip() {
  "$BRINDLE" doc.xml /output:expected.xml /display:none
  local encoding saved
  for encoding in "$@"; do
    cp doc.xml saved.xml
    "$BRINDLE" saved.xml "/encoding:$encoding" /display:none
    saved=$?
    "$BRINDLE" saved.xml /output:back.xml /display:none
    echo "$encoding: saved $saved, read back $?"
    cmp -s back.xml expected.xml || echo "$encoding: the text changed"
  done
  rm saved.xml back.xml expected.xml
}

# Windows only. brindle_exe: the Linux path of the brindle.exe that $BRINDLE
# starts under Wine. unix_path WINDOWS_PATH: where Wine keeps that file.
brindle_exe() { sed -n "s/^exec '[^']*' '\([^']*\)'.*/\1/p" "$BRINDLE"; }
unix_path() { "$(dirname "$BRINDLE_CASE_HELPERS")/../tools/windows/wine-run.sh" --unix-path "$1"; }

# require_xmlstarlet: skips the case (exit 77) where xmlstarlet, the peer
# that cases compare edits with, is missing.
require_xmlstarlet() {
  command -v xmlstarlet >/dev/null || { echo "xmlstarlet is not installed"; exit 77; }
}

# same_as_peer MINE PEERS: prints "same as xmlstarlet" when the two
# documents are equal once both are laid out afresh by brindle /indent
# (whitespace between elements is the peer's own), else both layouts.
same_as_peer() {
  local mine theirs
  # Through files rather than /dev/stdout, which the Windows program lacks.
  "$BRINDLE" "$1" /output mine.laid-out /indent /display:none || return 1
  "$BRINDLE" "$2" /output theirs.laid-out /indent /display:none || return 1
  mine=$(cat mine.laid-out) theirs=$(cat theirs.laid-out)
  rm mine.laid-out theirs.laid-out
  if [[ $mine == "$theirs" ]]; then
    echo "same as xmlstarlet"
  else
    printf 'differs from xmlstarlet:\n%s\n--- xmlstarlet:\n%s\n' "$mine" "$theirs"
  fi
}
