#!/usr/bin/env bash
# Builds the Debian package of the exercise (see README.md): installs what is missing, builds a
# release in its own folder (arguments go to cmake, e.g. -DSCHOOL_HOST=...) and lets CPack make the
# .deb, whose path it prints last.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# dpkg-shlibdeps (dpkg-dev) computes the package's dependencies; CPack finds the binaries with file.
ensure_packages "$BASE_PACKAGES" dpkg-dev file
dir="$(build_dir build-package)"
BUILD_TYPE=Release configure_and_build "$dir" -DBUILD_TESTING=OFF "$@"
(cd "$dir" && cpack -G DEB)
ls -1 "$dir"/*.deb
