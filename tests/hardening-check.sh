#!/bin/sh
# hardening-check on a built program, failing on any "no" that the machine could have given a "yes":
# x86's control-flow marks (IBT) and arm64's branch protection (BTI) are each checked on their own
# architecture only, and there only where the C library's start files carry them (a program linked
# with unmarked start files cannot be marked; Debian 12 and 13 ship them unmarked on amd64).
# Usage: tests/hardening-check.sh PROGRAM [CXX]
set -eu
program=$1
start_files=$(${2:-c++} -print-file-name=Scrt1.o)
case $(dpkg --print-architecture) in
    arm64) skip=--nocfprotection mark='AArch64 feature: BTI' own=--nobranchprotection ;;
    *) skip=--nobranchprotection mark='x86 feature: IBT' own=--nocfprotection ;;
esac
# Debian 12's hardening-check knows no branch protection, nor the option to skip it.
hardening-check --help 2>&1 | grep -q -e "$skip" || skip=""
readelf -n "$start_files" | grep -q "$mark" || skip="$skip $own"
# shellcheck disable=SC2086 # the options' words
exec hardening-check $skip "$program"
