# The saved declarations load again and save as the same bytes.
"$BRINDLE" doc.xml /display none && "$BRINDLE" doc.xml /display none
