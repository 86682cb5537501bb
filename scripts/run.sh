#!/usr/bin/env bash
# Sets up this machine, builds the program and starts it on the simulated machine.
#   scripts/run.sh [springtest arguments...]
# The application folder is ./appdir (made with `springtest init` on the first run); set APPDIR to use another.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
appdir="${APPDIR:-$root/appdir}"
if [ ! -f "$appdir/init0.dat" ]; then
  "$root/build/bin/springtest" init "$appdir"
fi
exec "$root/build/bin/springtest" --appdir "$appdir" "$@"
