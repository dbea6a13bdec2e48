#!/bin/bash
# The README's two commands on a new Debian 12, as a newcomer meets them.
#
# Builds a minimal root filesystem with mmdebstrap (variant minbase, plus git
# and ca-certificates, nothing else), gives it this machine's network set-up
# (apt sources, resolver, local CA certificates), clones this repository's
# HEAD into it for root and for a user made there, and runs, each command
# timed:
#   1. as the user, on the new system: ./play and ./check stop with exit
#      status 2, each printing the command that installs what it needs;
#   2. as root: ./play with the answers of the README's session (exit status
#      0, and the chain's summary line); with only what it installed, the
#      README's commands that build and install from source; then ./check
#      with every stage but fresh, installing what it needs itself;
#   3. as the user: root runs the commands printed in step 1, as the README
#      tells a user to do; then the user runs ./play and ./check as root did.
# Ends with a table of those commands and their times.
#
# Everything inside runs in a mount and process namespace of its own, the
# root filesystem on a tmpfs mounted there: when this script ends, however
# it ends, every process in there is killed, every mount is gone and the
# root filesystem with them (removing its files one by one from a disk would
# take minutes). Downloaded .deb
# files are kept between runs in a cache outside the tree, bind-mounted as
# apt's archive cache: $COMBO_FRESH_CACHE, ~/.cache/combo-fresh by default.
# Where / is not a mount point (a chroot) or making namespaces is not
# allowed (an unprivileged container), the namespace cannot be made, and the
# script fails at once, saying so; it cannot be run there without leaving
# its mounts behind on the machine.
#
# Usage: tools/fresh.sh   (as root; needs mmdebstrap)
#        tools/fresh.sh --can-run
#   exits with status 0 when the namespace can be made here; otherwise
#   prints one line on why not and where to run this instead, and exits
#   with status 1 (./check then skips its fresh stage).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

# The stages ./check runs in the new system: all of them but this one.
inner_stages() {
  ./check --list | tr ' ' '\n' | grep -vx fresh | tr '\n' ' '
}

# The mount and process namespace that everything runs in, its mounts
# private: none of them is seen outside, and all go with it.
namespace=(unshare --mount --pid --fork --kill-child --propagation private)

# Prints, on one line, why the namespace cannot be made here and where to
# run this script instead, and returns 0; returns 1 when it can be made.
namespace_problem() {
  local why
  why=$("${namespace[@]}" true 2>&1) && return 1
  echo "this machine cannot make the mount and process namespaces that" \
    "fresh works in (${why:-unshare failed}), as in a chroot, where / is" \
    "not a mount point, or an unprivileged container; run ./check fresh" \
    "as root on a machine or virtual machine of its own"
}

if [ "${1-}" = --can-run ]; then
  if namespace_problem; then exit 1; fi
  exit 0
fi

# --- outside: the namespace, and removing what it leaves ------------------

if [ "${1-}" != --inside ]; then
  [ "$(id -u)" = 0 ] || fail "runs as root only"
  step namespaces
  if problem=$(namespace_problem); then fail "$problem"; fi
  step mmdebstrap
  command -v mmdebstrap >/dev/null || fail "mmdebstrap not found"
  cache=${COMBO_FRESH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/combo-fresh}
  case $(realpath -m "$cache")/ in
    "$PWD"/*) fail "keep COMBO_FRESH_CACHE out of the repository" ;;
  esac
  mkdir -p "$cache/archives/partial"
  work=$(mktemp -d "${TMPDIR:-/tmp}/combo-fresh.XXXXXX")
  # The mounts live in the namespace only: out here the directory is empty.
  trap 'rmdir "$work"' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  "${namespace[@]}" "$PWD/tools/fresh.sh" --inside "$work" "$cache/archives"
  exit
fi

# --- inside ------------------------------------------------------------------

work=$2
archives=$3
rootfs=$work/root
mount -t tmpfs -o size=16g,mode=755 combo-fresh "$work"
user=player
answers=tests/transcripts/worked-example.in
summary='8,7,6,7,4+1Zorv'  # the ASCII part of the session's summary line
stages=$(inner_stages)
timings=()

# Runs a command in the new system as WHO (root or the user), from that
# account's clone, with a newcomer's environment; prints the command first
# and its wall time after. Standard input is the rest of the arguments'
# business: </dev/null unless the caller redirects.
in_system() {
  local who=$1 home=/root path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
  shift
  if [ "$who" != root ]; then
    home=/home/$user
    path=/usr/local/bin:/usr/bin:/bin
  fi
  chroot "$rootfs" runuser -u "$who" -- env -i HOME="$home" PATH="$path" \
    USER="$who" LOGNAME="$who" LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    bash -c "cd ~/combo && $*"
}

# Times a command: LABEL, then the command; says on descriptor 3 (this
# script's own output, wherever the command's goes) what runs and how long
# it took, and records the time.
exec 3>&1
timed() {
  local label=$1 start=$SECONDS status=0 seconds
  shift
  echo "fresh: + $label" >&3
  "$@" || status=$?
  seconds=$((SECONDS - start))
  echo "fresh: $label: $((seconds / 60)) min $((seconds % 60)) s," \
    "exit status $status" >&3
  timings+=("$(printf '%-40s %3d min %02d s' "$label" $((seconds / 60)) \
    $((seconds % 60)))")
  return "$status"
}

print_timings() {
  echo
  echo "fresh: wall time of each command"
  if [ ${#timings[@]} -gt 0 ]; then printf '  %s\n' "${timings[@]}"; fi
}
trap print_timings EXIT

step "mmdebstrap"
sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
  /etc/apt/sources.list.d/*.sources; do
  if [ -s "$file" ]; then sources+=("$file"); fi
done
[ ${#sources[@]} -gt 0 ] || fail "no apt sources on this machine"
mkdir "$rootfs"
# The archive cache is bind-mounted before the first download; neither the
# packages of the essential set nor the cache itself are removed at the end.
timed "mmdebstrap: minbase, git, ca-certificates" \
  mmdebstrap --quiet --variant=minbase --include=git,ca-certificates \
  --skip=essential/unlink,cleanup/apt/cache \
  --setup-hook="mkdir -p \"\$1/var/cache/apt/archives\" &&
    mount --bind '$archives' \"\$1/var/cache/apt/archives\"" \
  bookworm "$rootfs" "${sources[@]}"

step "network set-up"
cp /etc/resolv.conf "$rootfs/etc/resolv.conf"
if [ -d /usr/local/share/ca-certificates ]; then
  cp -r /usr/local/share/ca-certificates/. \
    "$rootfs/usr/local/share/ca-certificates/"
  chroot "$rootfs" update-ca-certificates >/dev/null
fi
mount --bind "$archives" "$rootfs/var/cache/apt/archives"
mount -t proc proc "$rootfs/proc"
mount --rbind /dev "$rootfs/dev"
mount --rbind /sys "$rootfs/sys"

step "clone"
chroot "$rootfs" useradd --create-home --shell /bin/bash "$user"
git clone -q . "$rootfs/root/combo"
git clone -q . "$rootfs/home/$user/combo"
chroot "$rootfs" chown -R "$user:$user" "/home/$user/combo"
echo "fresh: $(git rev-parse --short HEAD) cloned for root and for $user;" \
  "stages for ./check: $stages"

# 1. The user on the new system: told what to install, exit status 2.
step "as $user, before anything is installed"
commands=()
for command in "./play <$answers" "./check $stages"; do
  status=0
  timed "$user: ${command%% *}, nothing installed" \
    in_system "$user" "$command" </dev/null 2>"$work/told" || status=$?
  cat "$work/told"
  [ "$status" = 2 ] || fail "$command as $user: exit status $status, not 2"
  line=$(sed -n "s/^  \(su -c '.*'\)$/\1/p" "$work/told")
  [ -n "$line" ] || fail "$command as $user printed no su -c line"
  commands+=("${command%% *}"$'\t'"$line")
done

# 2. Root: the two commands, installing what they need.
step "./play as root"
timed "root: ./play" in_system root "./play <$answers" \
  </dev/null >"$work/played" 2>&1 || { cat "$work/played"; fail "./play as root failed"; }
grep -q "$summary" "$work/played" || fail "./play as root: no summary line"
# With what ./play installed, and nothing more, the README's own build
# commands work too: the tests are left out, with a warning.
step "the README's build commands"
timed "root: cmake, the README's build" in_system root \
  "cmake -S . -B build-readme -DCMAKE_BUILD_TYPE=Release &&
   cmake --build build-readme &&
   cmake --install build-readme --prefix /tmp/combo-prefix &&
   /tmp/combo-prefix/bin/combo-atlas 8 7 6 >/dev/null" </dev/null
step "./check as root"
timed "root: ./check" in_system root "./check $stages" </dev/null

# 3. The user, once root has run what the user's commands printed.
step "as $user"
for entry in "${commands[@]}"; do
  echo "fresh: the line that $user's ${entry%%$'\t'*} printed: ${entry#*$'\t'}"
  timed "root: that line from ${entry%%$'\t'*}" \
    in_system root "${entry#*$'\t'}" </dev/null
done
timed "$user: ./play" in_system "$user" "./play <$answers" \
  </dev/null >"$work/played" 2>&1 || { cat "$work/played"; fail "./play as $user failed"; }
grep -q "$summary" "$work/played" || fail "./play as $user: no summary line"
step "./check as $user"
timed "$user: ./check" in_system "$user" "./check $stages" </dev/null
echo "fresh: passed"
