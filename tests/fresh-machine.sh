#!/usr/bin/env bash
# Follows the README's quick start on a freshly bootstrapped minimal Debian and times it.
# Usage (as root): tests/fresh-machine.sh [bookworm|trixie] [root|sudo]    defaults: bookworm root
# It bootstraps `debootstrap --variant=minbase` into a temporary folder, clones this repository's
# current commit into it, runs the README's commands there, as root or as a user "dev" with sudo
# (the machine then gets sudo and that user first, outside the figures), and reports, per step, the wall
# time and the bytes apt downloaded. `make run` shows its window on an Xvfb display started on this
# machine (its socket is shared with the chroot, so the chroot installs only what the README says);
# the window must appear, then the program is stopped and `make test` runs; last, `make lintian`.
# Not part of `make test`.
# The logs of every step stay in /var/tmp/fresh-machine-<suite>-<user>.logs/.
set -euo pipefail

suite=${1:-bookworm}
mode=${2:-root}
case $suite/$mode in bookworm/root | bookworm/sudo | trixie/root | trixie/sudo) ;;
  *) echo "usage: $0 [bookworm|trixie] [root|sudo]" >&2; exit 2 ;;
esac
[ "$(id -u)" = 0 ] || { echo "$0: needs root (debootstrap, chroot, mount)" >&2; exit 2; }
for tool in debootstrap Xvfb xdotool git; do
  command -v "$tool" >/dev/null || { echo "$0: needs $tool on this machine" >&2; exit 2; }
done
repo=$(cd "$(dirname "$0")/.." && pwd)

# The Debian mirror this machine's apt uses (deb822 "URIs:" or one-line "deb" entries).
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  sed -n -e 's/^URIs:[[:space:]]*//p' -e 's/^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]*\)\{0,1\}//p' |
  tr ' ' '\n' | grep -E '^https?://' | grep -v security | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

work=$(mktemp -d /var/tmp/fresh-machine.XXXXXX)
root=$work/root
xvfb_pid=""
run_pid=""
cleanup() {
  set +e
  [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for m in tmp/.X11-unix dev/shm dev/pts dev sys proc; do
    mountpoint -q "$root/$m" && { umount "$root/$m" || umount -l "$root/$m"; }
  done
  mkdir -p "/var/tmp/fresh-machine-$suite-$mode.logs" && cp "$work"/*.log "/var/tmp/fresh-machine-$suite-$mode.logs/" 2>/dev/null
  # Only delete the folder when nothing is mounted below it any more.
  if ! grep -q " $work/" /proc/mounts; then rm -rf "$work"; else echo "left mounted: $work" >&2; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step_start=0
bytes_before=0
archive_bytes() {
  if [ -d "$root/var/cache/apt/archives" ]; then du -sb "$root/var/cache/apt/archives" | cut -f1; else echo 0; fi
}
begin() {
  echo "== $1"
  step_start=$(date +%s)
  bytes_before=$(archive_bytes)
}
report=()
end() {
  local secs=$(($(date +%s) - step_start)) bytes=$(($(archive_bytes) - bytes_before))
  report+=("$(awk -v n="$1" -v s="$secs" -v b="$bytes" 'BEGIN { printf "%-26s %4d s  %6.1f MB downloaded", n, s, b / 1e6 }')")
  echo "   ${report[-1]}"
}
path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# Runs a command as root inside the new machine, with a clean login-like environment.
in_root() { chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH="$path" "$@"; }
# Runs a command as the README's user: root, or "dev" who has sudo.
as_user() {
  if [ "$mode" = root ]; then
    in_root "$@"
  else
    chroot --userspec=dev:dev "$root" /usr/bin/env -i HOME=/home/dev USER=dev LOGNAME=dev TERM=dumb PATH="$path" "$@"
  fi
}
home=/root
[ "$mode" = root ] || home=/home/dev

begin "debootstrap --variant=minbase $suite ($mirror)"
debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -n 30 "$work/debootstrap.log"; exit 1; }
end "debootstrap"
# debootstrap leaves its packages in the archive cache; the README's steps count from empty.
rm -f "$root"/var/cache/apt/archives/*.deb

mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind /dev/shm "$root/dev/shm"
mkdir -p /tmp/.X11-unix "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

# The README's clone URL, here the commit this script belongs to.
git clone -q --bare --no-hardlinks --single-branch --branch "$(git -C "$repo" branch --show-current)" \
  "$repo" "$root/srv/tirvok3.git"

readme_line='apt-get update && apt-get install -y git make'
if [ "$mode" = sudo ]; then
  in_root sh -c 'apt-get update && apt-get install -y sudo && useradd -m -s /bin/bash -G sudo dev &&
    echo "dev ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/dev' >"$work/sudo.log" 2>&1 ||
    { tail -n 30 "$work/sudo.log"; exit 1; }
  chown -R "$(chroot "$root" id -u dev):$(chroot "$root" id -g dev)" "$root/srv/tirvok3.git"
  readme_line='sudo apt-get update && sudo apt-get install -y git make'
fi

begin "$readme_line"
as_user sh -c "$readme_line" >"$work/git-make.log" 2>&1 || { tail -n 30 "$work/git-make.log"; exit 1; }
end "install git make"
as_user sh -c "cd $home && git clone -q /srv/tirvok3.git tirvok3"

# Xvfb takes a free display itself and writes its number to fd 3 once it accepts clients there.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 600); do
  [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
display=:$(cat "$work/display")

begin "make run"
as_user DISPLAY="$display" sh -c "cd $home/tirvok3 && make run" >"$work/run.log" 2>&1 &
run_pid=$!
window=""
deadline=$(($(date +%s) + 1800))
while [ -z "$window" ]; do
  if ! kill -0 "$run_pid" 2>/dev/null; then
    cat "$work/run.log"; echo "make run ended before its window appeared" >&2; exit 1
  fi
  [ "$(date +%s)" -lt "$deadline" ] || { tail -n 30 "$work/run.log"; echo "no window in 30 min" >&2; exit 1; }
  sleep 1
  window=$(DISPLAY=$display xdotool search --name '^Tirvok 3$' 2>/dev/null | head -n 1 || true)
done
end "make run (window shown)"
pid=$(DISPLAY=$display xdotool getwindowpid "$window")
kill "$pid"
wait "$run_pid" || true
run_pid=""
grep -E '^(Installing|  Need to get)' "$work/run.log" || true
if grep -iE 'warning|error|could not|not UTF-8' "$work/run.log" | grep -v '^make: \*\*\*'; then echo "make run printed the lines above" >&2; exit 1; fi

# apt's output, kept by the Makefile: debconf must have got its non-interactive front end, through sudo too.
apt_log=$root$home/tirvok3/build/apt.log
if grep -i 'unable to initialize frontend' "$apt_log"; then echo "debconf asked for a terminal" >&2; exit 1; fi

begin "make test"
if ! as_user sh -c "cd $home/tirvok3 && make test" >"$work/test.log" 2>&1; then
  tail -n 60 "$work/test.log"; echo "make test failed" >&2; exit 1
fi
end "make test"
grep -E '^(Installing|  Need to get)|tests passed' "$work/test.log" || true
if grep -E 'warning:|Could NOT' "$work/test.log"; then echo "make test printed the lines above" >&2; exit 1; fi

if grep -i 'unable to initialize frontend' "$apt_log"; then echo "debconf asked for a terminal" >&2; exit 1; fi

# Beyond the README's two commands: the package and what this release's lintian says of it.
begin "make lintian"
if ! as_user sh -c "cd $home/tirvok3 && make lintian" >"$work/lintian.log" 2>&1; then
  tail -n 30 "$work/lintian.log"; echo "make lintian failed" >&2; exit 1
fi
end "make lintian"
sed -n '/^lintian /,$p' "$work/lintian.log"
echo "== $suite as $mode: all steps passed"
printf '%s\n' "${report[@]}"
