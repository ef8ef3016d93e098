# Six runs started at once on one document, each adding an element of its
# own: they take turns (each locks the document from before its load to
# after its save), so every run succeeds and every element lands. Then the
# same for a document with two hard links, which is written in place.
source "$BRINDLE_CASE_HELPERS"
write_list 20000 doc.xml
printf 'select root; add element $3;\n' > add.txt
six_runs() {
  local pids=() code=0
  for n in 1 2 3 4 5 6; do
    "$BRINDLE" doc.xml add.txt "$1$n" /batch /display:none &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || code=$?; done
  echo "worst exit: $code"
  grep -o "<$1[0-9]/>" doc.xml | sort | tr -d '\n'
  echo
}
six_runs a
ln doc.xml other.xml
six_runs b
[ doc.xml -ef other.xml ] && echo "still one file with two names"
