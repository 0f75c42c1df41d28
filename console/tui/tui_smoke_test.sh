#!/usr/bin/env bash
# Smoke test of the terminal front end: runs vzconsole in a detached tmux
# session on the console's test snap-in, expands the tree, selects a node,
# opens the context menu and quits, checking the captured screen after each
# step. Exits 77 (skipped) when tmux is not installed.
#   tui_smoke_test.sh VZCONSOLE MODULE
set -u

vzconsole=$1
module=$2

if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
socket="kr-tui-smoke-$$"
cleanup() {
  tmux -L "$socket" kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  echo "--- screen ---"
  tmux -L "$socket" capture-pane -p -t smoke 2>/dev/null
  echo "--- standard error of vzconsole ---"
  cat "$work/stderr" 2>/dev/null
  exit 1
}

# Waits until the screen shows every text given.
expect_screen() {
  local screen
  for _ in $(seq 100); do
    screen=$(tmux -L "$socket" capture-pane -p -t smoke 2>/dev/null)
    local all=1
    for text in "$@"; do
      grep -qF -- "$text" <<<"$screen" || all=0
    done
    ((all)) && return 0
    sleep 0.1
  done
  fail "the screen never showed: $*"
}

keys() { tmux -L "$socket" send-keys -t smoke "$@"; }

export VAZERIR_REGISTRY="$work/registry.reg" HOME="$work"
"$vzconsole" --register "$module" >/dev/null || fail "registering the test snap-in"

tmux -L "$socket" -f /dev/null new-session -d -s smoke -x 100 -y 30 \
  "'$vzconsole' 2>'$work/stderr'; echo \$? >'$work/status'; sleep 60" ||
  fail "starting tmux"

expect_screen "untitled - " "+ Fake Root" "Tab results" "q quit"
keys Right
expect_screen "- Fake Root" "+ Alpha" "Beta/Gamma"
keys Down
expect_screen "Name" "Size" "r10" "scope 3"
keys m
expect_screen "│ Add Node" "│ New > New Thing" "Does Add Node" "Esc close"
keys Down
expect_screen "Does Ask"
keys Escape q

for _ in $(seq 100); do
  [[ -s "$work/status" ]] && break
  sleep 0.1
done
[[ -s "$work/status" ]] || fail "vzconsole did not quit"
status=$(cat "$work/status")
[[ "$status" == 0 ]] || fail "vzconsole ended with status $status"
echo "passed"
