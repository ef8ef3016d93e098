ln doc.xml other.xml
"$BRINDLE" doc.xml /display:none
echo "exit $?"
[ doc.xml -ef other.xml ] && echo "both names are still one file"
