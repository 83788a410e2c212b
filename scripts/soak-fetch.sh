#!/bin/sh
# The fetching soak: 1,000 feeds on a local server, a quarter failing (404,
# silence, endless body, redirect loop, slow drip), the scheduler every 5 s,
# for ten minutes (or the seconds given). Prints the figures and "passed=1"
# when healthy feeds were refreshed in their period, failing ones backed off
# and memory did not grow.
set -e
build=${BUILD_DIR:-build}
seconds=${1:-600}
cmake --build "$build" --target fetch_bench >/dev/null
QUORBEL_SOAK_SECONDS=$seconds "$build/bench/fetch_bench" --benchmark_filter=BM_Soak
