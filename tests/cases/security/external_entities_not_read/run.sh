# No external entity is ever read, whether it names a file by a relative
# path or by a file:// address (the machine's /etc/passwd, or a file beside
# the document), a web address or a public identifier, even when the script
# reads the text of the references. The document loads, its references are
# saved as written, and their text reads as empty.
echo "SECRET-MARKER" > secret.txt
cat > doc.xml <<DOC
<?xml version="1.0"?>
<!DOCTYPE r [
<!ENTITY passwd SYSTEM "file:///etc/passwd">
<!ENTITY relative SYSTEM "secret.txt">
<!ENTITY absolute SYSTEM "file://$PWD/secret.txt">
<!ENTITY web SYSTEM "http://127.0.0.1:9/secret.txt">
<!ENTITY public PUBLIC "-//Example//Secret//EN" "secret.txt">
]>
<r><a>&relative;</a><b>&absolute;</b><c>&web;</c><d>&public;</d><e>&passwd;</e></r>
DOC
cat > changes.txt <<'SCRIPT'
select node "/r/a"; get node a;
select node "/r/b"; get node b;
select node "/r/c"; get node c;
select node "/r/d"; get node d;
select node "/r/e"; get node e;
select root; get node all;
set attribute read "[" + a + b + c + d + e + all + "]";
SCRIPT
"$BRINDLE" doc.xml changes.txt /batch
