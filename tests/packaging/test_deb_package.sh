#!/bin/sh
# test_deb_package.sh BUILD_DIR
#
# The Debian package the deb target made: lintian finds no error in it, its
# dependencies were computed from the libraries the program links, and the
# program unpacked into a scratch root runs its commands without a window
# from there, finding its data under that root's /usr/share/scenova.
set -eu
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

set -- "$build"/package/scenova_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one package in $build/package, found: $*"
deb=$1
echo "package: $deb"

command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup.sh installs it)"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libqt6widgets6 libmpv libfluidsynth libpulse0; do
  case "$depends" in
    *"$lib"*) ;;
    *) fail "the dependencies lack $lib" ;;
  esac
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
program=$root/usr/bin/scenova
[ -x "$program" ] || fail "no /usr/bin/scenova in the package"

version=$(dpkg-deb --field "$deb" Version)
out=$("$program" --version) || fail "--version failed"
[ "$out" = "Scenova $version" ] || fail "--version printed '$out', the package is $version"

# A short scene: a command cue and a picture that ships with the program.
script=$root/scene.snv
printf '%s\n' '{\rtf1\ansi Act one\par Thunder [[Play Audio]]\par [[Files/play.jpg]]\par}' >"$script"
sheet=$("$program" --cue-sheet "$script") || fail "--cue-sheet failed with status $?"
tab=$(printf '\t')
expected="2${tab}9${tab}command${tab}Play Audio
3${tab}1${tab}picture${tab}$root/usr/share/scenova/Files/play.jpg"
if [ "$sheet" != "$expected" ]; then
  printf 'cue sheet:\n%s\nexpected:\n%s\n' "$sheet" "$expected" >&2
  fail "the installed program's cue sheet differs"
fi
echo "ok"
