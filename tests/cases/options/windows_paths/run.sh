# Windows paths: a drive letter with backslashes, a relative path with
# backslashes, a %NAME% variable, the \\?\ form, and a path beyond the old
# 260-character limit all name the document; a path that the variables
# make longer than the system's limit (32767 characters, which a command
# line cannot even hold) is refused for its length. (Wine has no UNC shares
# to try.)
export CASEDIR=$PWD
drive=$(printf 'Z:%s' "$PWD" | tr / '\\')
for path in "$drive\\sub\\doc.xml" 'sub\doc.xml' '%CASEDIR%\sub\.\doc.xml' "\\\\?\\$drive\\sub\\doc.xml"; do
  "$BRINDLE" "$path" /indent 2>&1 | grep -a '^Saving'
done
long=$(printf 'x%.0s' $(seq 120))
mkdir -p "$long/$long/$long"
cp sub/doc.xml "$long/$long/$long/doc.xml"
"$BRINDLE" "$long\\$long/$long\\doc.xml" /indent 2>&1 | grep -a '^Saving' | sed "s/$long/{x120}/g"
export HALF=$(printf 'y%.0s' $(seq 20000))
"$BRINDLE" '%HALF%\%HALF%.xml' /create 2>&1 | grep -a '^ERROR'
echo "exit ${PIPESTATUS[0]}"
rm -r "$long"
