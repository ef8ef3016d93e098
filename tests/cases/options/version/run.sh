#!/usr/bin/env bash
# --version, -version, /version and their abbreviations print the banner's
# title line alone and exit 0, with or without a document, which stays
# untouched; with a parameter that is wrong, the usage wins.
title=$("$BRINDLE" doc.xml /output:/dev/null | head -n 1)
for spelling in --version -version /version /VERS /v --vers; do
  out=$("$BRINDLE" $spelling)
  code=$?
  [[ $out == "$title" ]] && echo "$spelling: the title, exit $code" || echo "$spelling: exit $code: $out"
done
"$BRINDLE" doc.xml --version | sed -E 's/Version [0-9]+\.[0-9]+ \(build [0-9]+\)( \[BETA\])?/Version N.N (build N)/'
echo "exit ${PIPESTATUS[0]}"
"$BRINDLE" --version /nosuchoption 2>&1 | grep -c Usage:
echo "exit ${PIPESTATUS[0]}"
