# A document whose converter would not give its bytes back (a redundant
# shift to ASCII in ISO-2022-JP): a preserving save refuses it with exit
# code 8 and the document stays as it was.
printf '<?xml version="1.0" encoding="ISO-2022-JP"?>\n<a>x</a>\n' > probe.xml
if ! "$BRINDLE" probe.xml /display:none; then
  echo "the XML library has no ISO-2022-JP converter here"
  exit 77
fi
rm probe.xml
"$BRINDLE" doc.xml "?/a" y /preserve 2>&1 | tail -n +8
echo "exit ${PIPESTATUS[0]}"
