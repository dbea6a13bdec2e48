#!/bin/bash
# Cross-builds combo and its tests for 64-bit Windows with MinGW-w64 and runs
# the tests under Wine: every transcript must match byte for byte, with CR LF
# line ends; the tests that need a POSIX terminal are reported as skipped.
# Then combo.exe on a console, whose screen must be the README's session;
# and the zip for players, made with cpack, unpacked and run.
#
# Usage: tools/windows.sh   (from anywhere; builds in build-win/)
# Needs the Debian packages g++-mingw-w64-x86-64, wine, wine64 and python3.
#
# The Wine prefix lives outside the repository, in $WINEPREFIX if set, else
# in ~/.cache/combo-wine; it is made on the first run and reused after that.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
start=$SECONDS
jobs=$(job_count)
build="build-win"

for tool in x86_64-w64-mingw32-g++-posix wine wineserver wineboot; do
  if ! command -v "$tool" >/dev/null; then
    echo "windows.sh: $tool not found; install g++-mingw-w64-x86-64," \
      "wine and wine64" >&2
    exit 2
  fi
done

# Wine, quietly and without a display.
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/combo-wine}
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
case "$WINEPREFIX" in
  "$PWD" | "$PWD"/*)
    case "$WINEPREFIX" in
      "$PWD"/build*/*) ;;  # an ignored build directory will do
      *) echo "windows.sh: keep WINEPREFIX out of the repository" >&2; exit 2 ;;
    esac
    ;;
esac

# One wineserver for the whole run. Started first, it stays up between
# tests, so no test waits for a server to shut down and let go of its
# standard error; its own output goes nowhere, or it would hold a pipe open.
step "start Wine"
mkdir -p "$WINEPREFIX"
# One run at a time: another would share the build and the server, and its
# "wineserver -k" at exit would end this run's tests.
exec 9>"$WINEPREFIX/windows.sh.lock"
flock 9
wineserver -p </dev/null >/dev/null 2>&1 9>&- || true  # or one is running
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# Neither Mono nor Gecko is wanted: no dialog offering to install them.
# The log is a file: Wine's helper processes live on and would hold a pipe.
bootlog="$WINEPREFIX/wineboot.log"
if ! WINEDLLOVERRIDES='mscoree,mshtml=' wineboot --init </dev/null 9>&- \
  >"$bootlog" 2>&1; then
  cat "$bootlog" >&2
  fail "wineboot failed"
fi
echo "windows.sh: Wine prefix $WINEPREFIX ready after $((SECONDS - start)) s"

step "configure and build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build" --parallel "$jobs"

# Each program must run on a bare Windows: it may import only DLLs that
# come with Windows, none of the compiler's runtime.
step "system DLLs only"
mapfile -t exes < <(find "$build" -name '*.exe' -not -path '*/CMakeFiles/*')
for exe in "${exes[@]}"; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$exe" |
    sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case ${dll,,} in
      kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll) ;;
      advapi32.dll | user32.dll | shell32.dll | ws2_32.dll) ;;
      *) fail "$exe imports $dll, which Windows does not ship" ;;
    esac
  done
done
echo "windows.sh: ${#exes[@]} programs import system DLLs only"

# Every test gets its input explicitly: to Windows /dev/null is a character
# device, so an empty regular file stands in for "no input".
empty="$build/no-input"
: >"$empty"
# Now and then Wine fails to start a program: a test then ends at once with
# no output at all (seen about once in 250 tests on a loaded machine). Such a
# test is run again, up to three times in all; a test that fails for real
# fails every time, and ctest shows each failed try.
step ctest
ctest --test-dir "$build" --output-on-failure --parallel "$jobs" \
  --no-tests=error --repeat until-pass:3 <"$empty"

# The program on a console (a pseudo-terminal, which Wine makes one, with the
# console code page 437 that LANG=C.UTF-8 gives), through pipes, and with a
# closed pipe and a closed standard input.
for test in screen ctrl_z pipe errors; do
  step "console test $test"
  python3 tests/wine_console_test.py "$test" "$build/combo.exe" README.md
done

# The zip for players: its name and files, the README and the licence with
# CR LF line ends, and the unpacked combo.exe on the worked example.
step zip
version=$(package_version "$build")
name="combo-$version-win64"
rm -f "$build"/combo-*.zip
(cd "$build" && cpack -G ZIP >/dev/null)
zip="$build/$name.zip"
[ -f "$zip" ] || fail "cpack did not make $zip"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"; wineserver -k >/dev/null 2>&1 || true' EXIT
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip")
files=$(cd "$unpacked" && find . -type f | LC_ALL=C sort)
want="./$name/LICENSE.txt
./$name/README.txt
./$name/combo-atlas.exe
./$name/combo.exe"
[ "$files" = "$want" ] || fail "$zip holds"$'\n'"$files"
for text in README.md LICENSE; do
  crlf "$text" | cmp -s - "$unpacked/$name/${text%.md}.txt" ||
    fail "${text%.md}.txt in $zip is not $text with CR LF"
done
COMBO_CRLF=1 sh tests/run_transcript.sh tests/transcripts/worked-example 0 \
  wine "$unpacked/$name/combo.exe" <"$empty"
echo "windows.sh: $zip passed"

echo "windows.sh: passed in $((SECONDS - start)) s"
