# A document path beyond the system's limit (PATH_MAX) is refused for its
# length, relative or absolute, and nothing is created.
long=$(printf 'd%.0s' $(seq 4100))
"$BRINDLE" "$long.xml" /create
"$BRINDLE" "/tmp/$long.xml" /create /display:none
echo "exit $?"
