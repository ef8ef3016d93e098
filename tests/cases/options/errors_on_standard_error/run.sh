#!/usr/bin/env bash
# Errors, their texts and a script's error listing go to standard error;
# the banner, progress and success lines to standard output. Each line
# leaves as it is written, so merged (2>&1) they read in order as one
# report. A query run that fails prints nothing on standard output;
# /display:none silences both streams; the output mode applies to both.
printf 'select root;\nadd element "ok";\nselct node "/r";\n' > changes.txt
echo "== merged"
"$BRINDLE" doc.xml changes.txt /batch 2>&1 | tail -n +5
echo "== standard output alone"
"$BRINDLE" doc.xml changes.txt /batch 2>/dev/null | tail -n +5
echo "== standard error alone"
"$BRINDLE" doc.xml changes.txt /batch 2>&1 >/dev/null
echo "exit ${PIPESTATUS[0]}"
echo "== a query run that fails"
"$BRINDLE" doc.xml '?/r/missing' /get 2>/dev/null | wc -c
"$BRINDLE" doc.xml '?/r/missing' /get 2>&1 >/dev/null
echo "== an unknown option"
"$BRINDLE" doc.xml /nosuch 2>&1 >/dev/null
echo "== /display:none"
"$BRINDLE" doc.xml '?/r/missing' x /display:none 2>&1 | wc -c
echo "== UTF-16 on standard error"
"$BRINDLE" doc.xml '?/r/missing' x /display:normal,unicode 2>&1 >/dev/null |
  iconv -f UTF-16LE -t UTF-8
rm changes.txt
