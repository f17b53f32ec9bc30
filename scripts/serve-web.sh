#!/bin/sh
# Builds the browser version when needed and serves it on this machine only:
#   ./scripts/serve-web.sh [PORT]      (default 8080), then open the address it prints.
set -eu
cd "$(dirname "$0")/.."
port=${1:-8080}
case "$port" in
    ''|*[!0-9]*) echo "usage: $0 [PORT]" >&2; exit 2 ;;
esac
scripts/setup.sh web
cmake --preset web >/dev/null
cmake --build --preset web
echo "Velmora is served at http://127.0.0.1:$port/velmora.html (Ctrl+C stops it)"
cd build/web
exec python3 -m http.server "$port" --bind 127.0.0.1
