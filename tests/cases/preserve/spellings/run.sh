# /preserve in each of its spellings, abbreviated and in any case: with
# nothing to change, the document is not written at all.
for option in /preserve -preserve --preserve /PRES /p; do
  before=$(stat -c '%i %y' doc.xml)
  "$BRINDLE" doc.xml "$option" | tail -n +8
  echo "exit ${PIPESTATUS[0]}"
  [[ $(stat -c '%i %y' doc.xml) == "$before" ]] && echo "$option: not written"
done
