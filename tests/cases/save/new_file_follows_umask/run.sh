umask 027
"$BRINDLE" new.xml /create /display:none
echo "exit $? mode $(stat -c %a new.xml)"
