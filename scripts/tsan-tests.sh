#!/usr/bin/env bash
# Runs the test binaries of the code that works on more than one thread under
# ThreadSanitizer (the `tsan` preset): the Database API's event thread and
# commit progress reaching the object model's hidden window, the platform's
# message queues, global interface table, reference counts and registry
# lock. Only the folders they need are built. A race report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

folders="kestrel;platform/testing;platform/text;platform/com;platform/win32;platform/ui;support;objectmodel"
binaries=(
  platform/com/kr_platform_com_tests
  platform/win32/kr_platform_win32_tests
  objectmodel/kr_objectmodel_tests
  kestrel/api/kr_kestrel_tests
)

cmake --preset tsan -DKR_ONLY="$folders" -DKR_UNITY_BUILD=OFF >/dev/null
targets=()
for binary in "${binaries[@]}"; do targets+=("$(basename "$binary")"); done
cmake --build --preset tsan --target "${targets[@]}"

# The tests that start kestreld are left out: the daemon runs on Debian's gRPC, which is
# not built with ThreadSanitizer, and its own threads' descriptor use is reported as races
# that are not ours. Those tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
filter='-ApiDaemonTest.*:ApiDaemonTcpTest.*'

status=0
for binary in "${binaries[@]}"; do
  echo "== $binary (ThreadSanitizer)"
  # halt_on_error: the first race ends the binary with a failure.
  if ! TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
      "build/tsan/$binary" --gtest_brief=1 --gtest_filter="$filter"; then
    status=1
  fi
done
exit $status
