"$BRINDLE" /display:none missing.xml
echo "exit $?"
"$BRINDLE" missing.xml /create /d:n
echo "exit $?"
