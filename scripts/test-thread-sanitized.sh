#!/usr/bin/env bash
# Builds the service's tests (those ctest finds below tests/service) with the thread sanitizer in build-tsan and runs
# them. The service answers on a pool of threads, and its tests drive it from several clients at once,
# rescans included; a data race in the server's bookkeeping or in the swap of the index shows here.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-tsan"

# The sanitizer needs the address layout it was built for; kernels that spread mappings wider than it
# expects make it stop at start. Without address randomisation (inherited by every program started from
# here, the build's test discovery included) the layout is the expected one.
if [[ -z "${LANSEEK_TSAN_NO_ASLR:-}" ]] && command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
  LANSEEK_TSAN_NO_ASLR=1 exec setarch "$(uname -m)" -R "$0" "$@"
fi

# Every sanitized program stops at the first race it sees; the suppressions name only the loader's.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/scripts/sanitizers/tsan.supp"

# Warnings are not errors here, as in the other sanitized build: the ordinary build is the one that must
# be free of them.
cmake -S "$here" -B "$build" -G Ninja -DLANSEEK_TESTS=ON -DLANSEEK_BENCH=OFF \
  -DLANSEEK_SANITIZE=thread -DLANSEEK_WERROR=OFF >/dev/null
cmake --build "$build" --target lanseek_service_tests
cd "$build/tests/service"
exec ctest --output-on-failure --no-tests=error -j2 --timeout 600
