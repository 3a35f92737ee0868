# The Debian packages the scripts need, and ensure_packages to install the
# missing ones (as root, or through sudo). Sourced by test.sh and package.sh.

qm_build_packages=(build-essential cmake qt6-base-dev qt6-serialport-dev qt6-charts-dev
  libqt6sql6-sqlite libqt6sql6-psql)
# dpkg-shlibdeps (dpkg-dev) works out the package's dependencies; lintian checks it.
qm_package_packages=(dpkg-dev fakeroot file lintian man-db)

step() { printf '\n=== %s\n' "$*"; }

as_root() {
  if ((EUID == 0)); then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "${0##*/}: need root to run: $*" >&2
    exit 1
  fi
}

installed() {
  [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]
}

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    installed "$pkg" || missing+=("$pkg")
  done
  ((${#missing[@]})) || return 0
  step "installing ${missing[*]}"
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}
