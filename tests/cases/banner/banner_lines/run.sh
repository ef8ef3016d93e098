# The banner: title with the version, description, copyright, blank line.
printf '<a/>' > doc.xml
"$BRINDLE" doc.xml | head -4 | sed -E 's/Version [0-9]+\.[0-9]+ \(build [0-9]+\)( \[BETA\])?/Version N.N (build N)/'
