# Wine settings for everything the project runs under Wine. Sourced, not run.
_velmora_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The prefix lives in the build folder: never ~/.wine.
export WINEPREFIX="${VELMORA_WINEPREFIX:-$_velmora_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No menu entries or file associations written into the home folder; no
# prompts to download Mono or Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
# Japanese locale: the ANSI code page becomes 932.
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
unset _velmora_root
