#!/usr/bin/env bash
# A build script reads the version out of a POM: standard output holds the
# text and nothing else, the POM is neither changed nor saved, and the
# answer is xmlstarlet sel's.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp pom.xml original.xml
version=$("$BRINDLE" pom.xml '?/_:project/_:version' /get)
echo "exit $? version=[$version]"
peer=$(xmlstarlet sel -N p=http://maven.apache.org/POM/4.0.0 -t -v /p:project/p:version pom.xml)
[[ $version == "$peer" ]] && echo "same as xmlstarlet"
cmp -s pom.xml original.xml && echo "document unchanged"
# Every match, one a line, with /all; a missing node is an error (exit 7).
"$BRINDLE" pom.xml "?/_:project/*[starts-with(local-name(), 'gr') or local-name() = 'artifactId']" /get /all
echo "exit $?"
"$BRINDLE" pom.xml '?/_:project/_:parent/_:version' /get
echo "exit $?"
