#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds a small C host against it, once
# through find_package(ravelin) and once through pkg-config, then runs both.
set -euo pipefail
build=$1
host_source=$2
work=$3
sanitize=${4:-}
rm -rf "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$host_source" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
"$work/cmake-host/ravelin_host"

libdir=$(find "$prefix" -name ravelin.pc -printf '%h\n' | head -n 1)
export PKG_CONFIG_PATH=$libdir
cc -std=c11 -Wall -Wextra -Werror $sanitize "$host_source/host.c" -o "$work/pkgconfig-host" \
  $(pkg-config --cflags --libs ravelin) -Wl,-rpath,"$(pkg-config --variable=libdir ravelin)"
"$work/pkgconfig-host"

soname=$(objdump -p "$(pkg-config --variable=libdir ravelin)/libravelin.so" | awk '/SONAME/ {print $2}')
case "$soname" in
  libravelin.so.[0-9]*) echo "installed $soname" ;;
  *) echo "unexpected SONAME: '$soname'"; exit 1 ;;
esac
