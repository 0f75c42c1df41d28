#!/usr/bin/env bash
# Smoke test of the terminal front end: registers MODULE, runs vzconsole in
# a detached 100 x 30 tmux session and plays STEPS, a file of lines
#   expect TEXT [| TEXT ...]   wait (up to 10 s) until the screen shows them
#   keys KEY ...               send tmux key names (Right, Escape, m, ...)
#   ends                       wait until vzconsole has ended with status 0
# ('#' starts a comment line). Exits 77 (skipped) when tmux is not installed.
# VAZERIR_REGISTRY and HOME point into a temporary directory; the rest of
# the environment (KESTREL_HOME, ...) is passed on. ARGS go to vzconsole.
#   tui_smoke_test.sh VZCONSOLE MODULE STEPS [ARGS...]
set -u

vzconsole=$1
module=$2
steps=$3
shift 3
command=$(printf '%q ' "$vzconsole" "$@")

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
  "$command 2>'$work/stderr'; echo \$? >'$work/status'; sleep 60" ||
  fail "starting tmux"

wait_for_end() {
  for _ in $(seq 100); do
    [[ -s "$work/status" ]] && break
    sleep 0.1
  done
  [[ -s "$work/status" ]] || fail "vzconsole did not end"
  local status
  status=$(cat "$work/status")
  [[ "$status" == 0 ]] || fail "vzconsole ended with status $status"
}

while IFS= read -r line || [[ -n "$line" ]]; do
  read -r verb rest <<<"$line"
  case "$verb" in
    "" | "#"*) ;;
    expect)
      texts=()
      while [[ "$rest" == *" | "* ]]; do
        texts+=("${rest%% | *}")
        rest=${rest#* | }
      done
      texts+=("$rest")
      expect_screen "${texts[@]}"
      ;;
    keys)
      read -r -a names <<<"$rest"
      keys "${names[@]}"
      ;;
    ends) wait_for_end ;;
    *) fail "unknown step: $line" ;;
  esac
done <"$steps"
echo "passed"
