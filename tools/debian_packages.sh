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

# The command that installs the packages "$@" (names only) on any Debian 12,
# a new one too, where apt has no package lists yet; run it as root.
install_command() {
  echo "apt-get update && apt-get install -y --no-install-recommends $*"
}

# True when apt has no package lists, as on a new machine or in a container:
# then it knows no package at all until "apt-get update".
lists_missing() {
  ! compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null
}

# Installs the packages "$@" (names only) with apt-get, printing each command
# on standard error before it runs: "apt-get update" first where the package
# lists are missing, then one install. Lists gone stale name files that the
# archive no longer has; then the install fails, and it is tried once more
# after an update. Returns 0 on success, 2 if apt-get fails.
# REQUIRES: running as root.
install_packages() {
  export DEBIAN_FRONTEND=noninteractive
  if lists_missing; then
    echo "+ apt-get update" >&2
    apt-get update </dev/null || return 2
  fi
  echo "+ apt-get install -y --no-install-recommends $*" >&2
  apt-get install -y --no-install-recommends "$@" </dev/null && return 0
  echo "+ apt-get update" >&2
  apt-get update </dev/null || return 2
  echo "+ apt-get install -y --no-install-recommends $*" >&2
  apt-get install -y --no-install-recommends "$@" </dev/null || return 2
}

# Prints on standard error, for WHO (the script's name), which packages are
# missing and how to install them from another account than root: the line
# for sudo, and the line for su where sudo is not installed (as on a new
# Debian), each a whole command that works on a new machine.
tell_missing_packages() {
  local who=$1 command
  shift
  command=$(install_command "$@")
  echo "$who: needs the Debian packages $*; install them as root:" >&2
  echo "  sudo sh -c '$command'" >&2
  echo "or, where sudo is not installed, with root's password:" >&2
  echo "  su -c '$command'" >&2
}

# Makes sure the packages "$@" (PACKAGE or PACKAGE:COMMAND) are there, for
# WHO. Returns 0 when none is missing or root has just installed them. As
# another user, prints how to install the missing ones and returns 2.
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
