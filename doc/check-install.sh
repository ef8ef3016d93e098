#!/usr/bin/env bash
# Checks what "cmake --install" and "cpack -G DEB" deliver:
# check-install.sh <build folder>. Installs with DESTDIR into a temporary
# folder, with the default prefix and with --prefix, and checks the tree,
# that the installed program runs and needs no library beyond libxml2 and
# OpenSSL's, that "man" finds the installed page, and that the installed
# completion completes. When dpkg-deb is there it also builds the Debian
# package and checks its files and dependencies, and runs lintian on it
# when lintian is installed (apt-get install lintian).
set -u
build=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/..")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# shellcheck source=check-tally.sh
source "$source_dir/doc/check-tally.sh"

# expect_files FOLDER PREFIX: the files under FOLDER are exactly the five
# that brindle installs, under PREFIX.
expect_files() {
    local folder=$1 prefix=$2 want got
    want=$(printf '%s\n' bin/brindle share/bash-completion/completions/brindle \
        share/doc/brindle/changelog.gz share/doc/brindle/copyright \
        share/man/man1/brindle.1.gz | sed "s|^|$prefix/|" | sort)
    got=$(cd "$folder" && find . -type f -o -type l | sed 's|^\./||' | sort)
    ((checks++))
    [[ $want == "$got" ]] || fail "files installed under $folder" "$(diff <(echo "$want") <(echo "$got"))"
}

# The default prefix, and another one given at install time.
((checks++))
DESTDIR=$root/default cmake --install "$build" >/dev/null || fail "cmake --install with DESTDIR"
expect_files "$root/default" usr/local
((checks++))
DESTDIR=$root/opt cmake --install "$build" --prefix /opt/brindle >/dev/null ||
    fail "cmake --install --prefix /opt/brindle"
expect_files "$root/opt" opt/brindle

installed=$root/default/usr/local

# The installed program runs: --help shows the usage and exits 1, and an
# update is applied.
((checks++))
usage=$("$installed/bin/brindle" --help)
status=$?
[[ $status == 1 && $usage == *"Usage:"* && $usage == *"brindle <xmlfile>"* ]] ||
    fail "the installed brindle --help (exit $status)" "$usage"
((checks++))
printf '<a><b>1</b></a>' >"$root/doc.xml"
"$installed/bin/brindle" "$root/doc.xml" '?/a/b' 2 /display:none
status=$?
[[ $status == 0 && $(cat "$root/doc.xml") == *"<a><b>2</b></a>"* ]] ||
    fail "the installed brindle updates a document (exit $status)" "$(cat "$root/doc.xml")"
# The hash function finds libcrypto, which the program opens when it is
# first called.
((checks++))
printf 'abc' >"$root/abc"
# shellcheck disable=SC2016  # $3 is the description file's own argument
printf 'select root;\nset attribute h @Hash($3, "SHA1");\n' >"$root/hash.txt"
"$installed/bin/brindle" "$root/doc.xml" "$root/hash.txt" "$root/abc" /batch /display:none
status=$?
[[ $status == 0 && $(cat "$root/doc.xml") == *'h="a9993e364706816aba3e25717850c26c9cd0d89d"'* ]] ||
    fail "the installed brindle hashes a file (exit $status)" "$(cat "$root/doc.xml")"

# Nothing beyond libxml2 and the C and C++ runtimes is linked (libcrypto is
# opened at run time, and only by the hash function).
if command -v readelf >/dev/null; then
    ((checks++))
    extra=$(readelf -d "$installed/bin/brindle" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
        grep -v '^\(libxml2\|libstdc++\|libm\|libgcc_s\|libc\)\.so')
    [[ -z $extra ]] || fail "the program needs other libraries" "$extra"
fi

# The installed page is the source page, and man finds it by name.
((checks++))
cmp -s <(gzip -dc "$installed/share/man/man1/brindle.1.gz") "$source_dir/doc/brindle.1" ||
    fail "the installed manual page differs from doc/brindle.1"
if command -v man >/dev/null; then
    ((checks++))
    found=$(MANPATH=$installed/share/man man -w brindle 2>&1)
    [[ $found == "$installed/share/man/man1/brindle.1.gz" ]] || fail "man -w brindle" "$found"
fi

((checks++))
bash "$source_dir/completion/test-completion.sh" \
    "$installed/share/bash-completion/completions/brindle" "$build/list_options" ||
    fail "the installed completion"

if command -v dpkg-deb >/dev/null; then
    ((checks++))
    if (cd "$build" && cpack -G DEB -B "$root/package" >"$root/cpack.log" 2>&1); then
        package=$(ls "$root"/package/brindle_*.deb)
        ((checks++))
        depends=$(dpkg-deb -f "$package" Depends)
        [[ $depends =~ (^|, )libxml2( |,|$) && $depends =~ (^|, )libssl3(t64)?( |,|$) ]] ||
            fail "the package's dependencies name libxml2 and libssl3" "$depends"
        # A release needs its entry in doc/changelog.
        ((checks++))
        version=$(dpkg-deb -f "$package" Version)
        logged=$(sed -n '1s/^brindle (\(.*\)).*/\1/p' "$source_dir/doc/changelog")
        [[ $version == "$logged" ]] ||
            fail "the package is version $version, doc/changelog's latest entry $logged"
        mkdir -p "$root/unpacked"
        dpkg-deb -x "$package" "$root/unpacked"
        expect_files "$root/unpacked" usr
        if command -v lintian >/dev/null; then
            ((checks++))
            lintian --fail-on error "$package" >"$root/lintian.log" 2>&1
            status=$?
            report=$(grep -v 'root privileges' "$root/lintian.log")
            [[ $status == 0 ]] || fail "lintian reports errors" "$report"
            [[ -n $report && $status == 0 ]] && printf 'lintian:\n%s\n' "$report"
        else
            echo "check-install: lintian is not installed: the package was not linted"
        fi
    else
        fail "cpack -G DEB" "$(tail -20 "$root/cpack.log")"
    fi
else
    echo "check-install: dpkg-deb is missing: no Debian package was built"
fi

report_checks "install"
