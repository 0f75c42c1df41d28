#!/usr/bin/env bash
# Makes a console document with the demo data, the way a user would: the
# demo server "KestrelOS20" registered under the local workstation and a
# database group for the demo dumps, through vzconsole's batch mode and the
# snap-in's own commands.
#   make_default_document.sh VZCONSOLE DOCUMENT
# The snap-in must be registered and the demo data must be in $KESTREL_HOME
# (default ~/.local/share/kestrel). Prints what the batch run printed; exits
# with its status.
set -euo pipefail

vzconsole=$1
document=$2
kestrel_home=${KESTREL_HOME:-$HOME/.local/share/kestrel}

# The local workstation's name as the snap-in shows it: the only child of
# "Workstations" in a new document.
workstation=$(printf 'new\nexpand Workstations\ntree Workstations\n' |
  "$vzconsole" --batch - | sed -n '2s/^ *//p')
if [[ -z "$workstation" ]]; then
  echo "make_default_document.sh: the snap-in shows no local workstation" >&2
  exit 1
fi

mkdir -p "$(dirname "$document")"
"$vzconsole" --batch - <<SCRIPT
new
on-form "Add Server..." set NameEdit=KestrelOS20 click OKBtn
run "Add Server..." "Workstations/$workstation/Servers"
on-folder "$kestrel_home/groups/Demo"
run "Add Database Group..." "Database Groups"
save "$document"
SCRIPT
