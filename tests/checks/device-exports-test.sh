#!/usr/bin/env bash
# The export check refuses an object that calls a function the device lacks, naming
# the object's source file and that function alone, and passes the product's objects.
#   device-exports-test.sh CHECK FOREIGN_OBJECT BUILD_DIR
set -u
check=$1 foreign=$2 build=$3
fail() { echo "FAILED: $*"; exit 1; }

out=$(bash "$check" --objects "$foreign"); rc=$?
[ "$rc" -eq 1 ] || fail "a foreign call passed the check (exit $rc): $out"
grep -q '^tests/checks/ForeignCall.cpp: GetTickCount64 is not exported' <<<"$out" || fail "no line names the file and function: $out"
! grep -q 'GetTickCount ' <<<"$out" || fail "a function the device exports was reported: $out"

out=$(bash "$check" "$build"); rc=$?
[ "$rc" -eq 0 ] || fail "the product's objects fail the check (exit $rc): $out"
echo "$out"
