#!/usr/bin/env bash
# Builds the deliverables and starts the console on the demo data.
#   ./run.sh                     the terminal UI on ~/.config/vazerir/default.vzc
#   ./run.sh --batch FILE [DOC]  runs a batch script instead (FILE may be -)
#                                on DOC, by default on the default document
# On the way it installs missing packages, builds the release preset,
# registers the built snap-in (again each time: registering is idempotent),
# seeds the demo servers and dumps with kestrel-admin when $KESTREL_HOME
# (default ~/.local/share/kestrel) holds no server (existing data is never
# touched), and makes the default document when it is missing.
set -euo pipefail

args=("$@")
if ((${#args[@]})) && [[ "${args[0]}" == "--batch" ]]; then
  ((${#args[@]} >= 2)) || { echo "usage: ./run.sh [--batch FILE|- [DOCUMENT]]" >&2; exit 2; }
  # Names given relative to the caller's directory stay valid after the cd.
  for i in "${!args[@]}"; do
    if ((i > 0)) && [[ "${args[i]}" != "-" ]]; then args[i]=$(realpath -m -- "${args[i]}"); fi
  done
elif ((${#args[@]})); then
  echo "usage: ./run.sh [--batch FILE|- [DOCUMENT]]" >&2
  exit 2
fi

for variable in KESTREL_HOME VAZERIR_REGISTRY; do
  if [[ -n "${!variable:-}" ]]; then export "$variable=$(realpath -m -- "${!variable}")"; fi
done

cd "$(dirname "$0")"
build=build/release
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vzconsole VAZERir KestrelAPI kestrel-admin

vzconsole=$PWD/$build/console/vzconsole
"$vzconsole" --register "$PWD/$build/lib/libVAZERir.so" >/dev/null

kestrel_home=${KESTREL_HOME:-$HOME/.local/share/kestrel}
if ! compgen -G "$kestrel_home/servers/*/server.json" >/dev/null; then
  "$build/bin/kestrel-admin" init-demo
fi

document=$HOME/.config/vazerir/default.vzc
if [[ ! -e "$document" ]]; then
  console/make_default_document.sh "$vzconsole" "$document" >/dev/null
fi

if ((${#args[@]} == 2)); then args+=("$document"); fi
if ((${#args[@]})); then
  exec "$vzconsole" "${args[@]}"
fi
exec "$vzconsole" "$document"
