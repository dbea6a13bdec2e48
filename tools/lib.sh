# shellcheck shell=sh
# The helpers that the scripts of this repository share, sourced by ./check,
# ./play, tools/*.sh, bench/*.sh and tests/*.sh, whether they run under sh
# or bash: plain POSIX sh only. Sourcing it defines functions and nothing
# else; each function says what it needs.

# Names the step that a script of ./check's stages is at, so that ./check
# can say where a stage failed ("=== package FAILED: cpack"): the name goes
# to the file $COMBO_STEP_FILE, which ./check sets, and nowhere when the
# script runs alone.
step() {
  if [ -n "${COMBO_STEP_FILE:-}" ]; then
    printf '%s\n' "$*" >"$COMBO_STEP_FILE"
  fi
}

# Says MESSAGE on standard error after the script's own name ("package.sh:
# no package version in build"), and exits with status 1.
fail() {
  printf '%s: %s\n' "${0##*/}" "$*" >&2
  exit 1
}

# Runs a command with its output held back; when it fails, shows all that
# it said on standard error and exits with status 2.
quietly() {
  quietly_log=$("$@" 2>&1) || {
    printf '%s\n' "$quietly_log" >&2
    exit 2
  }
}

# Prints how many jobs a build or a test run may run at once: one a
# processor.
job_count() { nproc 2>/dev/null || echo 2; }

# True when the build directory $1 holds a whole configuration: cmake
# writes the Makefile (or build.ninja) last, so a configure that failed or
# was cut short leaves none.
configured() {
  [ -f "$1/CMakeCache.txt" ] &&
    { [ -f "$1/Makefile" ] || [ -f "$1/build.ninja" ]; }
}

# Prints the version of the packages that cpack makes in the configured
# build directory $1 (the project's version); fails when it has none.
package_version() {
  package_version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' \
    "$1/CPackConfig.cmake" 2>/dev/null)
  [ -n "$package_version" ] || fail "no package version in $1/CPackConfig.cmake"
  printf '%s\n' "$package_version"
}

# Line ends. crlf FILE...: the files with CR LF line ends, as the programs
# write them on Windows. as_written FILE: FILE as the program under test
# writes it, with CR LF line ends when COMBO_CRLF=1 (the Windows build).
# without_cr FILE: FILE without the CR of its CR LF line ends.
crlf() { perl -pe 's/\n/\r\n/' "$@"; }
as_written() {
  if [ "${COMBO_CRLF:-0}" = 1 ]; then crlf "$1"; else cat "$1"; fi
}
without_cr() { tr -d '\r' <"$1"; }
