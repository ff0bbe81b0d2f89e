# Sourced (not run) by the scripts that run Windows programs: a Wine prefix of the
# project's own, quiet, without the Mono and Gecko installers.
export WINEPREFIX="${WINEPREFIX:-$HOME/.cache/vomtrail-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
