# A document whose name is as long as a name may be (254 bytes, in two-byte
# characters) saves: its temporary's name is cut to fit, never left too
# long to create.
name="$(printf '\xc3\xa9%.0s' $(seq 125)).xml"
printf '<config>\n  <name>value</name>\n</config>\n' > "$name"
"$BRINDLE" "$name" /display:none
code=$?
echo "exit $code"
cat "$name"
echo "files: $(ls -A | wc -l)"
exit $code
