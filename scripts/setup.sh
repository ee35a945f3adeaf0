#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, and fetches the
# third-party sources into the ignored cache folder. Idempotent and quiet when
# everything is already present.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${CORVANEL_CACHE:-$here/.cache}
third_party=$cache/third_party

packages=(
  cmake ninja-build make gcc g++ tcl file xz-utils dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth fonts-wqy-microhei fonts-dejavu-core fonts-symbola imagemagick
  googletest nlohmann-json3-dev libstb-dev
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The emoji pictures: a pinned npm package whose Google (Noto) pictures are
# under the Apache License 2.0. npm is only needed to fetch them once.
emoji_package=emoji-datasource-google
emoji_version=16.0.0
emoji_sha256=fb5fd131b362aab7a55542d2a147a79708cce0a8b1c1bbacd470172708b5c438
emoji_dir=$third_party/$emoji_package-$emoji_version
if [ ! -f "$emoji_dir/LICENSE" ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

ensure_deb_src() {
  if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && \
     ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
    # apt-get source needs source entries for the archive the machine already uses.
    local src=/etc/apt/sources.list.d/debian.sources
    if [ -f "$src" ]; then
      as_root sed -i 's/^Types: deb$/Types: deb deb-src/' "$src"
    else
      as_root sh -c "sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/corvanel-src.list"
    fi
    return 0
  fi
  return 1
}

need_update=0
ensure_deb_src && need_update=1
[ ${#missing[@]} -gt 0 ] && need_update=1
needs_sources=0
[ -f "$third_party/tinyxml2/tinyxml2.cpp" ] && [ -f "$third_party/sqlite/sqlite3.c" ] && \
  [ -f "$third_party/sqlite-recover/sqlite3recover.c" ] || needs_sources=1
if [ $need_update = 1 ] || { [ $needs_sources = 1 ] && ! apt-cache showsrc tinyxml2 >/dev/null 2>&1; }; then
  echo "setup: updating package lists"
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

mkdir -p "$third_party"

fetch_source() { # package, destination folder name
  local pkg=$1 dest=$third_party/$2 work=$third_party/.work-$2
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && apt-get source -qq --download-only "$pkg" >/dev/null 2>&1 || apt-get source -qq --download-only "$pkg")
  (cd "$work" && dpkg-source -x --skip-patches ./*.dsc src >/dev/null 2>&1 || dpkg-source -x ./*.dsc src >/dev/null)
  rm -rf "$dest"; mv "$work/src" "$dest"; rm -rf "$work"
}

if [ ! -f "$third_party/tinyxml2/tinyxml2.cpp" ]; then
  echo "setup: fetching tinyxml2 sources"
  fetch_source tinyxml2 tinyxml2
fi

if [ ! -f "$third_party/sqlite/sqlite3.c" ]; then
  echo "setup: fetching and amalgamating sqlite3 sources"
  fetch_source sqlite3 sqlite-src
  build=$third_party/.sqlite-build
  rm -rf "$build"; mkdir -p "$build"
  (cd "$build" && "$third_party/sqlite-src/configure" --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
  mkdir -p "$third_party/sqlite"
  cp "$build/sqlite3.c" "$build/sqlite3.h" "$third_party/sqlite/"
  rm -rf "$build" "$third_party/sqlite-src"
fi

# SQLite's recovery extension (not part of the amalgamation): it carries the
# readable rows of a damaged store into a new one.
if [ ! -f "$third_party/sqlite-recover/sqlite3recover.c" ]; then
  echo "setup: fetching the sqlite3 recovery extension"
  fetch_source sqlite3 sqlite-recover-src
  mkdir -p "$third_party/sqlite-recover.tmp"
  cp "$third_party/sqlite-recover-src/ext/recover/"{sqlite3recover.c,sqlite3recover.h,dbdata.c} \
     "$third_party/sqlite-recover-src/src/sqlite3ext.h" "$third_party/sqlite-recover.tmp/"
  rm -rf "$third_party/sqlite-recover" "$third_party/sqlite-recover-src"
  mv "$third_party/sqlite-recover.tmp" "$third_party/sqlite-recover"
fi

if [ ! -f "$third_party/nlohmann_json/include/nlohmann/json.hpp" ]; then
  mkdir -p "$third_party/nlohmann_json/include"
  cp -r /usr/include/nlohmann "$third_party/nlohmann_json/include/"
fi

for header in stb_image.h stb_image_resize.h; do
  if [ ! -f "$third_party/stb/$header" ]; then
    mkdir -p "$third_party/stb"
    cp "/usr/include/stb/$header" "$third_party/stb/"
  fi
done

if [ ! -d "$third_party/googletest" ]; then
  cp -r /usr/src/googletest "$third_party/googletest"
fi

if [ ! -f "$emoji_dir/LICENSE" ]; then
  echo "setup: fetching emoji pictures ($emoji_package $emoji_version)"
  work=$third_party/.work-emoji
  rm -rf "$work"; mkdir -p "$work"
  # Its own npm cache, and no notices: the fetch must not depend on the home folder.
  (cd "$work" && npm_config_cache="$work/npm-cache" npm_config_update_notifier=false \
    npm pack --silent "$emoji_package@$emoji_version" >/dev/null)
  tarball=$work/$emoji_package-$emoji_version.tgz
  echo "$emoji_sha256  $tarball" | sha256sum --check --quiet -
  mkdir -p "$work/package"
  tar -xzf "$tarball" -C "$work/package" --strip-components=1 package/LICENSE package/img/google/64
  cp /usr/share/common-licenses/Apache-2.0 "$work/package/LICENSE-Apache-2.0"
  cat > "$work/package/NOTICE" <<NOTICE
The emoji pictures come from the npm package $emoji_package $emoji_version,
scaled down. They are Google's Noto Emoji images, available under the Apache
License 2.0 (LICENSE-Apache-2.0). The package itself is under the MIT License
(LICENSE).
NOTICE
  rm -rf "$emoji_dir"; mv "$work/package" "$emoji_dir"; rm -rf "$work"
fi
