#!/usr/bin/env bash
# The console as a client of kestreld: a daemon serves the demo data of a temporary
# $KESTREL_HOME, and consoles in batch mode work with it at the same time:
#   daemon.sh VZCONSOLE MODULE KESTREL_ADMIN KESTRELD KESTREL_CLIENT
# - two consoles list the schemas of the same server while both are connected;
# - a session another process holds appears in the console's Users listing;
# - a database one console loads stays online for the next console after the first exits;
# - a console killed with SIGKILL is detached, and what it held released, by the daemon;
# - a daemon killed with SIGKILL: the console reports the server unreachable and goes on, and
#   reaches it again through a daemon started again;
# - on SIGTERM the daemon saves what changed, removes its socket and exits 0.
# A console that must stay connected reads its script from a pipe; a `save` of a marker
# document tells when it has run the commands before it.
set -u

vzconsole=$(realpath "$1")
module=$(realpath "$2")
admin=$(realpath "$3")
kestreld=$(realpath "$4")
client=$(realpath "$5")

work=$(mktemp -d)
export KESTREL_HOME="$work/kestrel" VAZERIR_REGISTRY="$work/registry.reg" HOME="$work/home"
export TZ=UTC VAZERIR_COMPUTERNAME=E2EHOST NO_COLOR=1 KESTREL_TIMEOUT=10
mkdir -p "$HOME"
socket="$KESTREL_HOME/kestreld.sock"
daemon=
consoles=()
pipes=()

cleanup() {
  for pid in "${consoles[@]}" $daemon; do kill -9 "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  [[ -f "$work/kestreld.log" ]] && { echo "--- kestreld's log:"; cat "$work/kestreld.log"; }
  exit 1
}

# Polls a condition for up to 20 seconds.
eventually() {
  for ((i = 0; i < 200; ++i)); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

# Starts kestreld and waits until it answers (a killed daemon's socket file may be there).
start_daemon() {
  local lines
  lines=$(grep -c "^kestreld: serving " "$work/kestreld.log" 2>/dev/null)
  # Without the consoles' script pipes: a console ends when its pipe's last writer closes it.
  (
    for fd in "${pipes[@]}"; do eval "exec $fd>&-"; done
    exec "$kestreld" --home "$KESTREL_HOME" 2>>"$work/kestreld.log"
  ) &
  daemon=$!
  eventually '(($(grep -c "^kestreld: serving " "$work/kestreld.log") > ${lines:-0}))' || fail "kestreld did not start"
}

# The script that registers the demo server with a console and selects it.
cat >"$work/server.vzb" <<'SCRIPT'
new
on-form "Add Server..." set NameEdit=KestrelOS20 click OKBtn
run "Add Server..." Workstations/e2ehost/Servers
select Workstations/e2ehost/Servers/KestrelOS20
SCRIPT

# Starts a console NAME that reads its script from a pipe (descriptor in ${NAME}_in).
start_console() {
  mkfifo "$work/$1.in"
  (cd "$work" && exec "$vzconsole" --batch - <"$1.in" >"$1.out" 2>&1) &
  consoles+=($!)
  eval "${1}_pid=$!"
  eval "exec {${1}_in}>\"\$work/$1.in\""
  eval "pipes+=(\$${1}_in)"
}
# Sends lines to console NAME and waits until it has run them.
send() {
  local name=$1 fd marker
  shift
  fd=${name}_in
  marker="$work/$name.$RANDOM.vzc"
  printf '%s\n' "$@" "save $marker" >&"${!fd}"
  eventually '[[ -f "$marker" ]]' || fail "console $name did not run: $*; it said: $(cat "$work/$name.out")"
}
# Runs a whole script (the server's, then the lines given) in a console of its own.
run_console() {
  { cat "$work/server.vzb"; printf '%s\n' "$@"; } >"$work/script.vzb"
  (cd "$work" && "$vzconsole" --batch script.vzb >run.out 2>&1)
  echo "exit status: $?" >>"$work/run.out"
}

"$vzconsole" --register "$module" >"$work/setup.log" 2>&1 || fail "registering $module: $(cat "$work/setup.log")"
"$admin" init-demo >"$work/setup.log" 2>&1 || fail "kestrel-admin init-demo: $(cat "$work/setup.log")"
start_daemon

# Two consoles on the same server at the same time.
start_console first
send first "$(cat "$work/server.vzb")" list
grep -q '^Sales - 1.0 |' "$work/first.out" || fail "the first console lists no schemas: $(cat "$work/first.out")"
run_console list
grep -q '^Sales - 1.0 |' "$work/run.out" && grep -q '^exit status: 0$' "$work/run.out" ||
  fail "a second console beside the first lists no schemas: $(cat "$work/run.out")"

# A session another process holds shows in the Users listing of its database.
mkfifo "$work/holder.in"
"$client" KestrelOS20 ben ben --hold <"$work/holder.in" >"$work/holder.out" 2>&1 &
consoles+=($!)
holder_pid=$!
exec {holder_in}>"$work/holder.in"
eventually 'grep -q "^logged on to" "$work/holder.out"' ||
  fail "the C client did not log on: $(cat "$work/holder.out")"
# The client logs on to the first database it lists; the line that lists it names its schema.
database=$(sed -n 's/^logged on to \(.*\) as ben:.*/\1/p' "$work/holder.out")
read -r _ schema version _ < <(grep -m1 "^schema .*: .*\b$database\b" "$work/holder.out" | tr -d ':')
run_console "select \"Workstations/e2ehost/Servers/KestrelOS20/$schema - $version\"" \
  'on-form "Enter Logon information..." set UserNameEdit=anna set PasswordEdit=anna click OkButton' \
  "select \"Workstations/e2ehost/Servers/KestrelOS20/$schema - $version/$database/Users\"" list
grep -q '^anna |' "$work/run.out" && grep -q '^ben |' "$work/run.out" ||
  fail "the Users listing does not show the other process's session: $(cat "$work/run.out")"
eval "exec {holder_in}>&-"
wait "$holder_pid" || fail "the C client failed: $(cat "$work/holder.out")"

# A database loaded by one console is online for the next.
send first "on-folder \"$KESTREL_HOME/groups/Demo\"" \
  'run "Add Database Group..." "Database Groups"' 'select "Database Groups/Demo"' 'pick Westwind.dmp' \
  'on-form "Load database into server..." pick ServerComboBox=KestrelOS20 pick SchemaNameComboBox=Sales pick SchemaVersionComboBox=1.0 click OKBtn' \
  'run "Load Into Server..."'
exec {first_in}>&-
wait "$first_pid" || fail "the first console failed: $(cat "$work/first.out")"
run_console 'select "Workstations/e2ehost/Servers/KestrelOS20/Sales - 1.0"' list
grep -q '^Westwind |' "$work/run.out" ||
  fail "the database the first console loaded is not online for the next: $(cat "$work/run.out")"

# A killed console leaves no session behind.
start_console killed
send killed "$(cat "$work/server.vzb")" 'select "Workstations/e2ehost/Servers/KestrelOS20/Sales - 1.0"' \
  'menu "Workstations/e2ehost/Servers/KestrelOS20/Sales - 1.0/Northwind/Scenarios"' \
  'on-form "Enter Logon information..." set UserNameEdit=anna set PasswordEdit=anna click OkButton' \
  'on-form "Create Scenario" pick ParentScenarioComboBox=Root set NameEdit=Kept click OKBtn' \
  'run "Create Scenario..."'
kill -9 "$killed_pid"
wait "$killed_pid" 2>/dev/null
eventually 'grep -q "client $killed_pid@E2EHOST (unix:) detached; .* session(s) released" "$work/kestreld.log"' ||
  fail "the daemon did not release what the killed console held"
eval "exec {killed_in}>&-"

# A killed daemon: the console says the server cannot be reached, goes on, and is served again
# once a daemon runs. It does not take the server over in-process meanwhile.
start_console lost
send lost "$(cat "$work/server.vzb")" list
kill -9 "$daemon"
wait "$daemon" 2>/dev/null
daemon=
send lost 'select "Workstations/e2ehost/Servers/KestrelOS20/Sales - 2.0"' list 'select /' list
grep -q '^message: vzconsole: Unable to establish connection with server\.$' "$work/lost.out" ||
  fail "the console did not report the lost server: $(cat "$work/lost.out")"
grep -q '^Eastwind |' "$work/lost.out" && fail "the console served the server in-process: $(cat "$work/lost.out")"
grep -q '^Workstations | 1$' "$work/lost.out" || fail "the console did not go on: $(cat "$work/lost.out")"
start_daemon
send lost 'select "Workstations/e2ehost/Servers/KestrelOS20/Sales - 2.0"' list
exec {lost_in}>&-
wait "$lost_pid" || fail "the console did not go on after losing the server: $(cat "$work/lost.out")"
grep -q '^Eastwind |' "$work/lost.out" || fail "the console did not reach the daemon started again: $(cat "$work/lost.out")"

# SIGTERM: the daemon saves, removes its socket and exits 0; what it served stays online.
run_console list
kill -TERM "$daemon"
wait "$daemon"
code=$?
daemon=
((code == 0)) || fail "kestreld exited with $code on SIGTERM"
[[ ! -e "$socket" ]] || fail "kestreld left its socket behind"
"$admin" list | grep -q "database Westwind" || fail "Westwind is no longer online: $("$admin" list)"
echo "passed"
