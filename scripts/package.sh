#!/usr/bin/env bash
# Builds the Debian package of the calibrator (qm07-calibrator_<version>_<arch>.deb)
# in build-package/ and checks it with lintian. Installs what is missing
# (Debian packages) first, as scripts/test.sh does.
#
#   bash scripts/package.sh            the .deb, then lintian
#   sudo apt install ./build-package/qm07-calibrator_*.deb
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QM_PACKAGE_DIR:-$root/build-package}

case ${1:-} in
  -h | --help) sed -n '2,7s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; exit 0 ;;
  "") ;;
  *) echo "package.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
esac

# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${qm_build_packages[@]}" "${qm_package_packages[@]}"

# Debian's hardening flags (fortify, stack protector, relro, bindnow), as a
# Debian build would pass them.
export CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQM_TESTS=OFF
cmake --build "$build" -j "$(nproc)" --target package
deb=$(ls -t "$build"/qm07-calibrator_*.deb | head -n1)
echo "package.sh: $deb ($(du -k "$deb" | cut -f1) KiB)"
# Errors fail the script; warnings are printed.
lintian --fail-on error "$deb"
echo "package.sh: lintian found no errors; install with: sudo apt install $deb"
