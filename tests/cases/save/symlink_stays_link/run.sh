mkdir real && mv doc.xml real/doc.xml && ln -s real/doc.xml link.xml
"$BRINDLE" link.xml /indent /display:none
echo "exit $?"
[ -L link.xml ] && echo "link.xml is still a link to $(readlink link.xml)"
