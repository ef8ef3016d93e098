# FileName, FullPath and Directory.
source "$(dirname "$0")/../functions.sh"
export APPDIR="$PWD/srv"
mkdir -p sub/inner
run changes.txt /indent
