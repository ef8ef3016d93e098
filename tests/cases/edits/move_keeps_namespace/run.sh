#!/usr/bin/env bash
# A moved subtree keeps its namespaces: read back, the article is still
# XHTML and its author still in the meta namespace. The tree is the one
# xmlstarlet's move (-m) makes, names compared without namespaces (the
# peer declares none of them on the moved article).
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp site.xml peer.xml
"$BRINDLE" site.xml publish.txt /batch /display:none
echo "exit $?"
"$BRINDLE" site.xml '?/s:site/s:published/h:article/h:h1' /get \
  /ns s=urn:example:site /ns h=http://www.w3.org/1999/xhtml
"$BRINDLE" site.xml '?//h:article/m:author/@dc:title' /get \
  /ns:h=http://www.w3.org/1999/xhtml /ns:m=urn:example:meta
xmlstarlet ed -N s=urn:example:site -N h=http://www.w3.org/1999/xhtml \
  -m //h:article /s:site/s:published peer.xml > peer-out.xml
strip='s/ xmlns(:[a-z]+)?="[^"]*"//g; s/(<\/?| )[a-z]+:/\1/g'
sed -E "$strip" site.xml > mine.xml
sed -E "$strip" peer-out.xml > theirs.xml
same_as_peer mine.xml theirs.xml
