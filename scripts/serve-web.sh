#!/bin/sh
# Builds the browser version when needed and serves it on this machine only:
#   ./scripts/serve-web.sh [PORT]      (default 8080), then open the address it prints.
# Only the page's own files are served (never the rest of the build folder),
# compressed where the browser takes gzip.
set -eu
cd "$(dirname "$0")/.."
port=${1:-8080}
case "$port" in
    ''|*[!0-9]*) echo "usage: $0 [PORT]" >&2; exit 2 ;;
esac
scripts/setup.sh web
cmake --preset web >/dev/null
cmake --build --preset web
exec python3 scripts/serve_web.py build/web "$port"
