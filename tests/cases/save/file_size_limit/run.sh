# The saved file would exceed the file size limit (in KiB blocks).
ulimit -f 4
"$BRINDLE" doc.xml /indent
