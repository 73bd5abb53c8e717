# Creates and configures the project's Wine prefix once. Sourced after
# common.sh and wine-env.sh; needs a DISPLAY.
ensure_wine_prefix() {
  local stamp="$WINEPREFIX/.velmora-prefix-v1"
  if [ -f "$stamp" ]; then return 0; fi
  log "creating the Wine prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 || true
  # Japanese captions: the UI font our programs ask for maps to IPAGothic.
  local f
  for f in 'MS UI Gothic' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Tahoma' 'ＭＳ Ｐゴシック' 'MS PGothic' 'ＭＳ ゴシック' 'MS Gothic' 'Meiryo UI' 'Yu Gothic UI' 'Segoe UI'; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  done
  # Xvfb has no window manager: run every program inside a Wine virtual
  # desktop, where frames are drawn and window states behave as on Windows.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1 || true
  touch "$stamp"
}

# A persistent Wine server with its services already running, all with their
# output sent nowhere: a Wine daemon that inherited a test's stdout would keep
# the pipe open and make whoever reads it wait forever.
start_wine_services() {
  wineserver -p >/dev/null 2>&1 </dev/null
  wine wineboot >/dev/null 2>&1 </dev/null || true
}
