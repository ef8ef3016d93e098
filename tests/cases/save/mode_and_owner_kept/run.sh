chmod 640 doc.xml
"$BRINDLE" doc.xml /display:none
echo "exit $? mode $(stat -c %a doc.xml)"
