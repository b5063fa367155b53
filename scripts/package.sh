#!/usr/bin/env bash
# Builds the Debian package of InZEFOR (Release, with Debian's hardening flags) into build-deb/
# and checks it: lists its control data and contents, then runs lintian, which must report no
# error.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) computes the package's dependencies; lintian judges the result.
bash scripts/install-deps.sh dpkg-dev lintian file

build=${BUILD_DIR:-build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS; the fortify define travels with the compiler flags.
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
# Only the packaged programs are built; the tests have their own build.
# The installed program logs its SQL into /var/log/inzefor/ExecSql/ once an administrator makes
# that folder; the package does not.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DINZEFOR_SQL_LOG_FOLDER=/var/log/inzefor/ExecSql/ >/dev/null
cmake --build "$build" -j2 --target inzefor-batch InZEFOR
rm -f "$build"/inzefor_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/inzefor_*.deb)

echo "== $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
echo "== lintian"
lintian --fail-on error --info "$deb"
