#!/bin/sh
# Makes a sysroot of another Debian architecture from downloaded packages, leaving the machine's own
# packages as they are: tests/cross-sysroot.sh ARCH DIR. A private apt state under DIR resolves the
# build dependencies for ARCH from this machine's Debian sources; every .deb is unpacked into DIR/sysroot.
set -eu
arch=$1
dir=$(realpath -m "$2")
root=$dir/sysroot
[ -f "$root/.made" ] && exit 0
state=$dir/apt
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$root"
: >"$state/status"
set -- -o Dir::State="$state" -o Dir::State::Lists="$state/lists" -o Dir::State::status="$state/status" \
    -o Dir::Cache="$state/cache" -o APT::Architecture="$arch" -o APT::Architectures="$arch" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root -q
# A mirror caught mid-sync fails one index now and then: try again, then go on with the indexes that came
# (the install below fails if what it needs is missing).
tries=1
until apt-get "$@" update >"$dir/apt.log" 2>&1; do
    if [ $tries -ge 3 ]; then
        grep '^E:' "$dir/apt.log" >&2
        echo "cross-sysroot: apt-get update failed $tries times; going on with the indexes it got" >&2
        break
    fi
    tries=$((tries + 1))
    sleep 20
done
# Qt and GoogleTest with what they need, the C and C++ libraries, and a font for the offscreen tests.
apt-get "$@" install -y --download-only --no-install-recommends qt6-base-dev libgtest-dev libgmock-dev \
    libc6-dev libstdc++-12-dev fonts-dejavu-core >>"$dir/apt.log" 2>&1 || { cat "$dir/apt.log"; exit 1; }
for deb in "$state"/cache/archives/*.deb; do
    dpkg-deb -x "$deb" "$root"
done
# Absolute links (libm.so -> /lib/...) would leave the sysroot: point them inside it.
find "$root" -type l -lname '/*' | while read -r link; do
    ln -sfn "$root$(readlink "$link")" "$link"
done
printf '%s: %s packages, %s\n' "$arch" "$(ls "$state"/cache/archives/*.deb | wc -l)" "$(du -sh "$root" | cut -f1)"
touch "$root/.made"
