#!/usr/bin/env bash
# Installs what is missing, builds the engine and the demo host, and paints a picture.
#   tools/demo.sh [demo options]     (pictures go to out/ unless --out DIR is given)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVELIN_WERROR=ON >/dev/null
cmake --build build --target ravelin-demo
mkdir -p out
args=("$@")
case " ${args[*]-} " in *" --out "*) ;; *) args+=(--out out) ;; esac
build/tools/ravelin-demo "${args[@]}"
