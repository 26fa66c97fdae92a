#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there, away
# from the build and source folders: they must find what was installed with them.
# Usage: install_test.sh BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
build=$1 version=$2 source=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$tmp"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
bin=$prefix/bin
examples=$prefix/share/tarvolen/examples
desktop=$prefix/share/applications/org.tarvolen.Tarvolen.desktop
metainfo=$prefix/share/metainfo/org.tarvolen.Tarvolen.metainfo.xml

for file in bin/tarvolen bin/tarvolen-fit bin/tarvolen-fit-pictures \
  share/tarvolen/examples/growth.txt share/doc/tarvolen/Tarvolen.chm \
  share/doc/tarvolen/manual/index.html share/doc/tarvolen/manual/style.css \
  share/doc/tarvolen/copyright share/icons/hicolor/scalable/apps/tarvolen.svg \
  share/man/man1/tarvolen.1.gz share/man/man1/tarvolen-fit.1.gz \
  share/man/man1/tarvolen-fit-pictures.1.gz share/bash-completion/completions/tarvolen-fit; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done

# The desktop entry, the metadata and the MIME type are valid and name what is installed.
desktop-file-validate "$desktop" >"$tmp/desktop.log" ||
  fail "desktop-file-validate: $(cat "$tmp/desktop.log")"
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" ||
  fail "appstreamcli validate: $(cat "$tmp/appstream.log")"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
  [ -f "$prefix/share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon '$icon'"
done
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$bin/$exec_program" ] || fail "the desktop entry starts '$exec_program', not installed"
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
  fail "the metadata does not name the desktop entry"
mkdir -p "$tmp/mime/packages"
cp "$prefix/share/mime/packages/"*.xml "$tmp/mime/packages/"
XDG_DATA_DIRS=$tmp update-mime-database "$tmp/mime" 2>"$tmp/mime.log"
[ ! -s "$tmp/mime.log" ] || fail "update-mime-database: $(cat "$tmp/mime.log")"
grep -qx 'application/x-tarvolen-data' "$tmp/mime/types" || fail "the .dat type is not defined"
grep -q '^application/x-tarvolen-data:\*\.dat$' "$tmp/mime/globs" || fail "*.dat is not the type's"

# One version everywhere.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/tarvolen" --version)" = \
  "tarvolen (Tarvolen) $version" ] || fail "tarvolen --version"
[ "$("$bin/tarvolen-fit" --version)" = "tarvolen-fit (Tarvolen) $version" ] ||
  fail "tarvolen-fit --version"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release"
grep -q "<h1>Tarvolen $version</h1>" "$prefix/share/doc/tarvolen/manual/index.html" ||
  fail "the manual's version"
zcat "$prefix/share/man/man1/tarvolen-fit.1.gz" | grep -q "^\.TH .*\"Tarvolen $version\"" ||
  fail "the man page's version"

# The window answers --help without a display, and refuses what it does not know.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/tarvolen" --help |
  grep -q '^Usage: tarvolen \[FILE\]' || fail "tarvolen --help"
for arguments in "--no-such-option" "one.txt two.txt"; do
  status=0
  # shellcheck disable=SC2086
  QT_QPA_PLATFORM=offscreen "$bin/tarvolen" $arguments 2>/dev/null || status=$?
  [ "$status" = 2 ] || fail "tarvolen $arguments exits with $status, not 2"
done
# Started with an installed example, it stays up until it is ended.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$bin/tarvolen" "$examples/growth.txt" 2>/dev/null ||
  status=$?
[ "$status" = 124 ] || fail "tarvolen with an example ended with $status"

# tarvolen-fit fits an installed example as the build's does, and draws with the installed
# picture program beside it.
"$bin/tarvolen-fit" --model exponential "$examples/growth.txt" >"$tmp/installed.txt"
"$build/cli/tarvolen-fit" --model exponential "$source/examples/growth.txt" >"$tmp/built.txt"
cmp -s "$tmp/installed.txt" "$tmp/built.txt" || fail "the installed tarvolen-fit reports otherwise"
"$bin/tarvolen-fit" --model linear --plot "$tmp/plot.png" "$examples/five-points.txt" >/dev/null
[ "$(head -c 4 "$tmp/plot.png" | tail -c 3)" = "PNG" ] || fail "--plot wrote no PNG"
mv "$bin/tarvolen-fit-pictures" "$tmp/"
status=0
"$bin/tarvolen-fit" --model linear --plot "$tmp/plot2.png" "$examples/five-points.txt" \
  >/dev/null 2>"$tmp/plot.log" || status=$?
grep -qF "$bin/tarvolen-fit-pictures" "$tmp/plot.log" && [ "$status" = 1 ] ||
  fail "without the installed picture program: status $status, $(cat "$tmp/plot.log")"
mv "$tmp/tarvolen-fit-pictures" "$bin/"

# Bash completion offers the options and the model names (and "all"), and tarvolen-fit knows
# every name it offers.
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tarvolen_fit
    printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/share/bash-completion/completions/tarvolen-fit" "$@"
}
options=$(complete_words "$bin/tarvolen-fit" --)
for option in --model --stats --json --curve --plot --decimal-separator --help --version; do
  grep -qx -- "$option" <<<"$options" || fail "completion does not offer $option"
done
[ "$(complete_words "$bin/tarvolen-fit" --model geo | tr '\n' ' ')" = "geometric geometric2 " ] ||
  fail "completion of --model geo"
models=$(complete_words "$bin/tarvolen-fit" --model "")
[ "$(wc -l <<<"$models")" = 11 ] || fail "completion offers $(wc -l <<<"$models") models"
for model in $models; do
  status=0
  "$bin/tarvolen-fit" --model "$model" "$examples/five-points.txt" >/dev/null 2>&1 || status=$?
  [ "$status" != 2 ] || fail "completion offers '$model', which tarvolen-fit does not know"
done
echo "the installed programs run from $prefix"
