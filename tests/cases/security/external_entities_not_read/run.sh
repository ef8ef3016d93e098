# No external entity is ever read, whether it names a file by a relative
# path, by a file:// address or an http address, even when the script reads
# the text of the references. The saved document (shown here) keeps the
# references as written, and their text reads as empty.
echo "SECRET-MARKER" > secret.txt
cat > doc.xml <<DOC
<?xml version="1.0"?>
<!DOCTYPE r [
<!ENTITY relative SYSTEM "secret.txt">
<!ENTITY absolute SYSTEM "file://$PWD/secret.txt">
<!ENTITY web SYSTEM "http://127.0.0.1:9/secret.txt">
<!ENTITY public PUBLIC "-//Example//Secret//EN" "secret.txt">
]>
<r><a>&relative;</a><b>&absolute;</b><c>&web;</c><d>&public;</d></r>
DOC
cat > changes.txt <<'SCRIPT'
select node "/r/a"; get node a;
select node "/r/b"; get node b;
select node "/r/c"; get node c;
select node "/r/d"; get node d;
select root; get node all;
set attribute read "[" + a + b + c + d + all + "]";
SCRIPT
"$BRINDLE" doc.xml changes.txt /batch /display:none
code=$?
cat doc.xml
exit $code
