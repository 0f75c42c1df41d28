#!/usr/bin/env bash
# Runs one end-to-end case of vzconsole's batch mode against the snap-in
# module and the demo data, in a fresh temporary $KESTREL_HOME,
# $VAZERIR_REGISTRY and HOME:
#   run_case.sh VZCONSOLE MODULE KESTREL_ADMIN CASE
# CASE is a path without extension. Its scripts are CASE.vzb, or CASE.1.vzb,
# CASE.2.vzb, ... run one after the other in the same directory (so a later
# run opens what an earlier one saved). A step may be CASE.N.admin instead:
# kestrel-admin commands, one a line (words split and quoted as xargs does),
# that look at what the earlier steps left on the server. Each step's output (standard output,
# then standard error, then "exit status: N" when it is not 0) must equal
# the .out file beside its script. "@WORK@" in a script stands for the
# case's working directory and "@KESTREL_HOME@" for the demo data; both are
# written back in the output, and a date and time of today as "@NOW@".
# The dumps of the demo data get a fixed time stamp, so listings of them are
# the same on every run; TZ is UTC and the computer is named E2EHOST. In an
# .out file "@SIZE:PATH@" stands for the size in bytes of the file PATH of
# the demo data (relative to $KESTREL_HOME).
set -u

vzconsole=$(realpath "$1")
module=$(realpath "$2")
admin=$(realpath "$3")
case=$(realpath "$4")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTREL_HOME="$work/kestrel" VAZERIR_REGISTRY="$work/registry.reg" HOME="$work/home"
export TZ=UTC VAZERIR_COMPUTERNAME=E2EHOST NO_COLOR=1
mkdir -p "$HOME"

fail() {
  echo "FAILED: $*"
  exit 1
}

"$vzconsole" --register "$module" >"$work/setup.log" 2>&1 || fail "registering $module: $(cat "$work/setup.log")"
"$admin" init-demo >"$work/setup.log" 2>&1 || fail "kestrel-admin init-demo: $(cat "$work/setup.log")"
find "$KESTREL_HOME/groups" -exec touch -h -d "2026-03-14 09:26:53" {} + ||
  fail "dating the demo dumps"

scripts=()
if [[ -f "$case.vzb" ]]; then
  scripts=("$case.vzb")
else
  for ((n = 1; ; ++n)); do
    if [[ -f "$case.$n.vzb" ]]; then
      scripts+=("$case.$n.vzb")
    elif [[ -f "$case.$n.admin" ]]; then
      scripts+=("$case.$n.admin")
    else
      break
    fi
  done
fi
((${#scripts[@]})) || fail "no script for $case"

# Writes the working directories back as their placeholders, and a time of
# today (what the console stamps on what a case creates) as "@NOW@".
today=$(date -u +%-m/%-d/%Y)
placeholders() {
  sed -e "s|$KESTREL_HOME|@KESTREL_HOME@|g" -e "s|$work|@WORK@|g" \
    -e "s|$today [0-9]\{1,2\}:[0-9][0-9]:[0-9][0-9] [AP]M|@NOW@|g"
}

# Writes the sizes of the demo files in place of their "@SIZE:PATH@".
with_sizes() {
  local text path size
  text=$(cat)
  while [[ "$text" =~ @SIZE:([^@]*)@ ]]; do
    path=${BASH_REMATCH[1]}
    size=$(stat -c %s "$KESTREL_HOME/$path") || fail "no demo file $path"
    text=${text//"@SIZE:$path@"/$size}
  done
  printf '%s\n' "$text"
}

status=0
for script in "${scripts[@]}"; do
  out="${script%.*}.out"
  [[ -f "$out" ]] || fail "no expected output $out"
  expected="$work/expected.${out##*/}"
  with_sizes <"$out" >"$expected"
  sed -e "s|@KESTREL_HOME@|$KESTREL_HOME|g" -e "s|@WORK@|$work|g" "$script" >"$work/script.vzb"
  if [[ "$script" == *.admin ]]; then
    (cd "$work" && grep -v -e '^#' -e '^[[:space:]]*$' script.vzb | xargs -L 1 "$admin" >stdout 2>stderr)
  else
    (cd "$work" && "$vzconsole" --batch script.vzb >stdout 2>stderr)
  fi
  code=$?
  {
    cat "$work/stdout" "$work/stderr"
    ((code == 0)) || echo "exit status: $code"
  } | placeholders >"$work/actual"
  if ! diff -u --label "expected ${out##*/}" --label actual "$expected" "$work/actual"; then
    echo "FAILED: the output of ${script##*/} differs"
    status=1
  fi
done

((status == 0)) && echo "passed"
exit $status
