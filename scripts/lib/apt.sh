# Sourced (not run) by the install scripts in scripts/install/: installing
# Debian packages on a machine whose package mirror may have a bad hour.
#
# A mirror in the middle of a sync answers `apt-get update` with "File has
# unexpected size ... Mirror sync in progress?" for one index or more, for an
# hour at a time. Stopping there would stop every run, so the update is
# tried a few times over about a minute and then the run goes on with the
# lists it has, saying so. Packages already installed are never asked for,
# so a machine that has them needs no mirror at all.

VT_SUDO=""
if [ "$(id -u)" != 0 ]; then VT_SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive

vt_apt_missing() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' || echo "$package"
  done
}

# apt-get update, up to VT_APT_TRIES times (default 4) with 15 s between.
# Always returns 0: on lasting failure it says which lists are stale.
vt_apt_update() {
  local try tries=${VT_APT_TRIES:-4} log
  log=$(mktemp)
  for ((try = 1; try <= tries; try++)); do
    if $VT_SUDO apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt "$tries" ] && sleep "${VT_APT_PAUSE:-15}"
  done
  echo "install: apt-get update failed $tries times; going on with the package lists this machine has:" >&2
  grep -E '^(E|W):' "$log" | head -n 5 >&2
  rm -f "$log"
  return 0
}

# Installs the packages not yet installed. Returns apt-get's status, so a
# caller decides whether a missing package stops it.
vt_apt_install() {
  local missing
  mapfile -t missing < <(vt_apt_missing "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ -z "${VT_APT_UPDATED:-}" ]; then
    vt_apt_update
    VT_APT_UPDATED=1
  fi
  echo "install: ${missing[*]}" >&2
  $VT_SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
