# On Windows, redirected output: unicode writes UTF-16LE; text the ANSI
# code page (windows-1252 in Wine's English setup), so "é" is one byte;
# utf8, the default, UTF-8. Lines end in CR LF in every mode.
mkdir café && printf '<a/>' > café/doc.xml
"$BRINDLE" café/doc.xml /display:normal,unicode | iconv -f UTF-16LE -t UTF-8 | grep -a Loading
"$BRINDLE" café/doc.xml /display normal text | iconv -f WINDOWS-1252 -t UTF-8 | grep -a Loading
"$BRINDLE" café/doc.xml /display:,utf8 > utf8.txt
grep -a Loading utf8.txt
od -An -c utf8.txt | grep -o '\\r  *\\n' | sort -u
rm utf8.txt
