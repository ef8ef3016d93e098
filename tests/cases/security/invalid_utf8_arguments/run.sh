# Arguments that are not valid UTF-8. A document whose name holds the byte
# 0xE9 is loaded and saved under that very name; a query and a value that
# are not valid UTF-8 are read as Latin-1.
name=$'caf\xe9.xml'
printf '<r><a n="caf\xc3\xa9"/></r>\n' > "$name"
"$BRINDLE" "$name" $'?/r/a[@n=\'caf\xe9\']/@n' $'cr\xe8me \xff' /display:none
code=$?
echo "exit $code"
[ -f "$name" ] && echo "saved under its own name, files: $(ls | wc -l)"
cat "$name"
exit $code
