# shellcheck shell=bash
# The Debian packages that ./play and ./check need: which of them are
# missing, and installing them. Sourced by both (bash).
#
# A package is named PACKAGE, or PACKAGE:COMMAND. It counts as present when
# dpkg has it installed, or when a command of the same name (or COMMAND) is
# on PATH, so a tool installed some other way will do. "x11-utils:luit"
# therefore accepts luit from either of the two Debian packages that ship it,
# and installs x11-utils, which removes nothing, when there is no luit at all.
# Without dpkg-query (not Debian) nothing counts as missing.

# Prints the missing packages among "$@", one line, names only; prints
# nothing when none is missing.
missing_packages() {
  command -v dpkg-query >/dev/null 2>&1 || return 0
  local spec package command missing=()
  for spec in "$@"; do
    package=${spec%%:*}
    command=${spec#*:}
    if command -v "$command" >/dev/null 2>&1 ||
      [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = \
        "install ok installed" ]; then
      continue
    fi
    missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then echo "${missing[*]}"; fi
}

# Installs the packages "$@" (names only) with apt-get, printing each command
# on standard error before it runs; "apt-get update" runs once per process.
# Returns 0 on success, 2 if apt-get fails.
# REQUIRES: running as root.
install_packages() {
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "${debian_packages_updated:-}" ]; then
    echo "+ apt-get update" >&2
    apt-get update </dev/null || return 2
    debian_packages_updated=1
  fi
  echo "+ apt-get install -y --no-install-recommends $*" >&2
  apt-get install -y --no-install-recommends "$@" </dev/null || return 2
}

# Prints on standard error, for WHO (the script's name), which packages are
# missing and the line that installs them as another user than root.
tell_missing_packages() {
  local who=$1
  shift
  echo "$who: needs the Debian packages $*; install them with" >&2
  echo "  sudo apt-get install --no-install-recommends $*" >&2
}

# Makes sure the packages "$@" (PACKAGE or PACKAGE:COMMAND) are there, for
# WHO. Returns 0 when none is missing or root has just installed them. As
# another user, prints the sudo line for the missing ones and returns 2.
need_packages() {
  local who=$1 missing
  shift
  missing=$(missing_packages "$@")
  [ -n "$missing" ] || return 0
  if [ "$(id -u)" != 0 ]; then
    # shellcheck disable=SC2086  # one word per package
    tell_missing_packages "$who" $missing
    return 2
  fi
  echo "$who: installing the Debian packages $missing" >&2
  # shellcheck disable=SC2086
  install_packages $missing
}
