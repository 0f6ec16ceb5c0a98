#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors and runs every test, checks the Debian package of that
# build, cross-compiles the Windows build and runs its tests under Wine; then builds the core with AddressSanitizer and UndefinedBehaviorSanitizer and runs the core tests
# again, runs the container tests under ThreadSanitizer and fuzzes the decryption path for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# The tree must stay formatted.
find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run -Werror
# The layers show in the folders: nothing under src/core includes Qt or a window or command-line header,
# and the platform layer sits below everything but the error type and the integration plans it executes.
bash scripts/check_layers.sh

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARKENT_WERROR=ON >/dev/null
cmake --build build-test -j2
(cd build-test && ctest --output-on-failure -j2)

# The Debian package of that build, unpacked into a scratch folder: the programs start from there and
# find their companions; the desktop entry, MIME type, icon and manual page are checked.
bash scripts/check_package.sh build-test

# The Windows build of the core and zarkent-cli under Wine; its .zrk files cross with this build's.
bash scripts/test_windows.sh build-test/zarkent-cli

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZARKENT_WERROR=ON -DZARKENT_CORE_ONLY=ON \
      -DZARKENT_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j2
(cd build-asan && ctest --output-on-failure -j2 -L core)

# The container's threaded parts (the writer thread, the parallel deflate from files and pipes, cancel
# and progress, the password change's overlapped writes) under ThreadSanitizer.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZARKENT_WERROR=ON -DZARKENT_CORE_ONLY=ON \
      -DZARKENT_SANITIZE=thread >/dev/null
cmake --build build-tsan -j2 --target test_container test_password_change
(cd build-tsan && ctest --output-on-failure -R '^test_(container|password_change)$')

# A minute of fuzzing the decryption path (clang's libFuzzer with ASan and UBSan).
bash fuzz/run.sh 60
