#!/usr/bin/env bash
# Installs what is missing, builds Trovik with its tests and runs every test:
# once in the ordinary build, then the core, the command line and their tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then a minute
# of fuzzing, and finally the Debian package is built and checked.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

# Warnings fail the build here, so a new one is seen in the commit that adds it.
cmake --preset default -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build --preset default
ctest --preset default -j2 --timeout 300

cmake --preset asan -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build --preset asan
ctest --preset asan -j2 --timeout 600

# A short fuzzing run over every type (the corpus starts from the test images).
tests/fuzz/run-fuzz.sh 60 build/fuzz

./scripts/check-package.sh build/package
