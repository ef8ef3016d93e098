# Calls nested beyond 1,000 levels fail instead of exhausting the stack.
# The listed line is 30,000 characters long: shown cut, with the caret's column.
printf '<a/>' > doc.xml
{ printf 'set node '; for i in $(seq 5000); do printf '@u('; done; printf '"x"';
  for i in $(seq 5000); do printf ')'; done; echo ';'; } > changes.txt
"$BRINDLE" doc.xml changes.txt /batch 2>&1 |
  awk 'length > 100 { if (index($0, "^")) print "caret at column " index($0, "^") - 7;
                       else print substr($0, 1, 30) "..."; next } { print }'
echo "exit ${PIPESTATUS[0]}"
rm changes.txt
