#!/usr/bin/env bash
# Makes a console document over the local servers, the way a user would:
# every server under $KESTREL_HOME (default ~/.local/share/kestrel) - the
# demo server "KestrelOS20" after kestrel-admin init-demo - registered under
# the local workstation, and a database group for the demo dumps when their
# directory is there, through vzconsole's batch mode and the snap-in's own
# commands.
#   make_default_document.sh VZCONSOLE DOCUMENT
# The snap-in must be registered. Prints what the batch run printed; exits
# with its status.
set -euo pipefail

vzconsole=$1
document=$2
kestrel_home=${KESTREL_HOME:-$HOME/.local/share/kestrel}

# A batch word in double quotes.
quoted() { printf '"%s"' "${1//\"/\\\"}"; }

# A name as a node path writes its backslashes and slashes escaped.
node_name() {
  local name=${1//\\/\\\\}
  printf '%s' "${name//\//\\/}"
}

# The local workstation's name as the snap-in shows it: the only child of
# "Workstations" in a new document.
workstation=$(printf 'new\nexpand Workstations\ntree Workstations\n' |
  "$vzconsole" --batch - | sed -n '2s/^ *//p')
if [[ -z "$workstation" ]]; then
  echo "make_default_document.sh: the snap-in shows no local workstation" >&2
  exit 1
fi

script="new"$'\n'
for server in "$kestrel_home"/servers/*/server.json; do
  [[ -f "$server" ]] || continue
  name=$(basename "$(dirname "$server")")
  script+="on-form \"Add Server...\" set $(quoted "NameEdit=$name") click OKBtn"$'\n'
  script+="run \"Add Server...\" $(quoted "Workstations/$(node_name "$workstation")/Servers")"$'\n'
done
if [[ -d "$kestrel_home/groups/Demo" ]]; then
  script+="on-folder $(quoted "$kestrel_home/groups/Demo")"$'\n'
  script+="run \"Add Database Group...\" \"Database Groups\""$'\n'
fi
script+="save $(quoted "$document")"$'\n'

mkdir -p "$(dirname "$document")"
"$vzconsole" --batch - <<<"$script"
