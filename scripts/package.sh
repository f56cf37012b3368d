#!/usr/bin/env bash
# Builds the Debian package: scripts/package.sh [BUILD_DIR] (default build/,
# the tree scripts/test.sh builds). Leaves the .deb in BUILD_DIR/package/,
# prints its name, and checks that it holds what an installation needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# CPack's DEB generator finds the shared-library dependencies with
# dpkg-shlibdeps (dpkg-dev) and looks at the binaries with file.
scripts/install-packages.sh dpkg-dev file

dir=${1:-build}
scripts/build.sh "$dir" -DQFW_WERROR=ON
rm -rf "$dir/package"
(cd "$dir" && cpack -G DEB -B package >/dev/null)

shopt -s nullglob
debs=("$dir"/package/*.deb)
if ((${#debs[@]} != 1)); then
  echo "package.sh: expected one .deb in $dir/package, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}

contents=$(dpkg-deb --contents "$deb")
for file in ./usr/bin/qfwupdate ./usr/bin/qfwupdate-cli ./usr/share/man/man1/qfwupdate-cli.1.gz \
            ./usr/share/applications/qfwupdate.desktop \
            ./usr/share/icons/hicolor/scalable/apps/qfwupdate.svg; do
  if ! grep -q " $file\$" <<<"$contents"; then
    echo "package.sh: $deb lacks $file" >&2
    exit 1
  fi
done
depends=$(dpkg-deb --field "$deb" Depends)
if [[ $depends != *libc6* ]]; then
  echo "package.sh: $deb has no shared-library dependencies (Depends: $depends)" >&2
  exit 1
fi
echo "$deb"
