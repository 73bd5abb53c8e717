#!/usr/bin/env bash
# Runs a Windows test program under Wine with the project's prefix and settings.
# scripts/lib/wine-env.sh exports WINEPREFIX and friends; fall back to them here
# so that ctest started by hand still works.
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../scripts/lib/wine-env.sh
. "$here/scripts/lib/wine-env.sh"
exec wine "$@"
