#!/bin/sh
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every test (unit, GUI offscreen, benchmarks' smoke runs, short fuzz runs).
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVZ_SANITIZE=ON -DVZ_BUILD_FUZZ=ON -DVZ_BUILD_BENCH=ON
cmake --build build-test
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
