#!/usr/bin/env bash
# Builds the Debian package: configures a build without the tests, with Debian's compiler and
# linker flags (hardening included), builds it and runs `cpack -G DEB`.
# Usage: scripts/package.sh [build-dir]     (default build-package)
# Prints the path of the .deb it made on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-package}

scripts/deps.sh

# The flags Debian builds its packages with; CMAKE_BUILD_TYPE=None adds none of CMake's own,
# as Debian's CMake helper does.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=None -DGEMINO_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
rm -f "$build_dir"/gemino_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)

debs=("$build_dir"/gemino_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: cpack made no single gemino_*.deb in $build_dir" >&2
    exit 1
fi
echo "${debs[0]}"
