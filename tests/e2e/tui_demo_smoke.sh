#!/usr/bin/env bash
# Smoke test of the terminal front end on the snap-in module and the demo
# data: seeds a temporary $KESTREL_HOME with kestrel-admin, makes the default
# console document there and plays STEPS on vzconsole started on it with
# the terminal front end's smoke-test driver (which exits 77 without tmux).
#   tui_demo_smoke.sh VZCONSOLE MODULE KESTREL_ADMIN STEPS
set -u

vzconsole=$1
module=$2
admin=$3
steps=$4
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTREL_HOME="$work/kestrel" VAZERIR_REGISTRY="$work/registry.reg" HOME="$work/home"
export TZ=UTC VAZERIR_COMPUTERNAME=E2EHOST

{
  "$vzconsole" --register "$module" &&
    "$admin" init-demo &&
    "$source_dir/console/make_default_document.sh" "$vzconsole" "$work/demo.vzc"
} >"$work/setup.log" 2>&1 || {
  echo "FAILED: making the demo document"
  cat "$work/setup.log"
  exit 1
}
bash "$source_dir/console/tui/tui_smoke_test.sh" "$vzconsole" "$module" "$steps" "$work/demo.vzc"
