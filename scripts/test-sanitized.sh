#!/usr/bin/env bash
# Builds the tests that need no display (ctest label "core") with the address and undefined-behaviour
# sanitizers in build-asan, and runs them. Of the window's tests two more are built and run here: the
# download queue's chaos test, which exercises the workers, the run and random user actions together, and
# the skinned frame's tests, which change skins while caption buttons are hovered, pressed and dragged;
# that is where a use-after-free or a race in the bookkeeping would show.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-asan"

# Every sanitized program run from here on, the build's own skin packing and test discovery included,
# stops at the first fault. Leaks are checked at exit; the suppressions name only other libraries' leaks.
# (The media engine's tests trace allocations with the slow unwinder; see tests/platform/media.)
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$here/scripts/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Warnings are not errors here. The compiler's flow analysis sees the instrumented code and reports bounds
# and initialisations it can no longer prove (GCC's manual advises against -Werror with sanitizers); the
# ordinary build is the one that must be free of warnings.
cmake -S "$here" -B "$build" -G Ninja -DLANSEEK_TESTS=ON -DLANSEEK_BENCH=OFF \
  -DLANSEEK_SANITIZE=address,undefined -DLANSEEK_WERROR=OFF >/dev/null
cmake --build "$build" --target lanseek_core_tests download_form_tests lanseek_skin_forms_tests
cd "$build"
ctest --output-on-failure -L core -j2 --timeout 600
# The window's libraries (fontconfig, the display plugin) keep caches for the process's life, which the
# leak check would count; the address and behaviour checks stay on.
ASAN_OPTIONS="${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}" QT_QPA_PLATFORM=offscreen \
  ./tests/skin/forms/lanseek_skin_forms_tests
ASAN_OPTIONS="${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}" QT_QPA_PLATFORM=offscreen LANSEEK_CHAOS_ROUNDS=2 \
  exec ./tests/download/download_form_tests --gtest_filter="QueueChaos.*"
