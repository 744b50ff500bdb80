#!/bin/sh
# Sets up, builds and starts Vellozine Ririraz on its program folder.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVZ_BUILD_TESTS=OFF
cmake --build build
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/program/vellozine "$@"
fi
exec build/program/vellozine "$@"
