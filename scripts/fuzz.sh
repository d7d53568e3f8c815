#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each from its seed corpus for a
# bounded time. Any crash, sanitizer report, leak, time-out or broken invariant fails the run; the
# input that found it is kept in the build folder's findings/.
#
#   FUZZ_SECONDS        time per target (default 60)
#   FUZZ_SEED           libFuzzer's random seed (default 1, so that a run repeats what an earlier
#                       one on the same corpus did; 0 draws a new one each run)
#   VELKOR_FUZZ_BUILD   build folder (default build-fuzz)
#   VELKOR_WERROR       ON: compiler warnings are errors
#   scripts/fuzz.sh [TARGET...]   only these targets
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VELKOR_FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}

cxx=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$cxx" ] || { echo "fuzz.sh: clang++ is missing (packages clang, libclang-rt-14-dev)"; exit 1; }
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    ${VELKOR_WERROR:+-DCMAKE_COMPILE_WARNING_AS_ERROR=$VELKOR_WERROR} >/dev/null
cmake --build "$build" -j2

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_settings fuzz_registry_hive fuzz_pe_version
    fuzz_windows_cmdline fuzz_help_sitemap fuzz_chm_records fuzz_router_answers fuzz_store_lists)

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
    seeds="$root/fuzz/corpus/${target#fuzz_}"
    corpus="$build/corpus/$target" # grows here; the seeds stay as they are
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    log="$build/$target.log"
    echo "== $target: ${seconds}s"
    if "$build/$target" "$corpus" "$seeds" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -max_len=65536 -seed="${FUZZ_SEED:-1}" -print_final_stats=1 \
        -artifact_prefix="$findings/" >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|peak_rss_mb|new_units_added)|cov:' "$log" |
            tail -4 | sed 's/^/   /'
    else
        echo "   FAILED: $(ls "$findings")"
        grep -E 'ERROR|runtime error|fuzz_[a-z_]+:|SUMMARY' "$log" | head -5 | sed 's/^/   /'
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: findings in ${failed[*]} (logs and inputs in $build)"
    exit 1
fi
echo "fuzz.sh: ${#targets[@]} targets, no findings"
