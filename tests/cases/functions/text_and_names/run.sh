# The two letter-case functions, and what every function call shares: name
# prefixes, the number and type of arguments, unknown names.
source "$(dirname "$0")/../functions.sh"
run changes.txt /indent

# No name in the table starts with these.
fails 'var v = @Sizes("doc.xml");'
briefly '@LowerCaseX("a")'
briefly '@Nothing("a")'

# Every function takes a fixed number of arguments.
fails 'var v = @LowerCase();'
fails 'var v = @UpperCase("a", "b");'
briefly '@FileName()'
briefly '@FullPath("a", "b")'
briefly '@Directory("a", "b")'
briefly '@LowerCase(,)'
briefly '@Version("app.exe")'
briefly '@VersionInfo("app.exe", "ProductName", "x")'
briefly '@Size("doc.xml", "B")'
briefly '@Size("doc.xml", "B", "", "")'
briefly '@LastWriteTime("doc.xml", "yyyy")'
briefly '@LastAccessTime("doc.xml", "yyyy", "HH", "x")'
briefly '@CreationTime("doc.xml")'
briefly '@Hash("doc.xml")'
briefly '@Hash("doc.xml", "", "")'

# Text parameters take strings only: a number is no text.
fails 'var v = @LowerCase(5);'
briefly '@UpperCase(1 + 2)'
briefly '@FileName(#7)'
briefly '@Hash("doc.xml", 1)'
briefly '@LastWriteTime("doc.xml", "yyyy", 0)'
