#!/usr/bin/env bash
# /output:/dev/stdout, like /output -, writes the document alone to
# standard output; the messages go to standard error.
"$BRINDLE" doc.xml /output:/dev/stdout /nodeclaration 2>errors.txt
echo "exit $?"
echo "--- standard error:"
tail -n +5 errors.txt
rm errors.txt
