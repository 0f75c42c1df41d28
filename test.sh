#!/usr/bin/env bash
# Builds the sanitizer test configuration and runs every test.
# KR_UNITY_BUILD=ON in the environment compiles in batches (see the README).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset test -DKR_UNITY_BUILD="${KR_UNITY_BUILD:-OFF}"
cmake --build --preset test
ctest --preset test
