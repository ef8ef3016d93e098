# unicode writes UTF-16LE; text uses the locale's character set (ASCII in
# the C locale, so "é" becomes "?"); utf8 is the default.
mkdir café && printf '<a/>' > café/doc.xml
"$BRINDLE" café/doc.xml /display:normal,unicode | iconv -f UTF-16LE -t UTF-8 | grep Loading
LC_ALL=C "$BRINDLE" café/doc.xml /display normal text | grep Loading
"$BRINDLE" café/doc.xml /display:,utf8 | grep Loading
