#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (packages, configure, build), then runs the whole test suite.
#   scripts/test.sh          the normal build in build/, then orvdap's end-to-end tests (mocha)
#   scripts/test.sh --asan   the suite in an AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/)
#   scripts/test.sh --tsan   the threaded parts in a ThreadSanitizer build (build-tsan/)
#   scripts/test.sh --fuzz   every fuzz target over its committed corpus, then 10 s of fuzzing each (build-fuzz/)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
mode=${1:-normal}
case "$mode" in
  normal)
    scripts/setup.sh build -DORVEN_WERROR=ON
    ctest --test-dir build --output-on-failure -j"$jobs" --label-exclude fuzz-run
    # orvdap as an editor drives it: the DAP test client under mocha, installed from its lockfile.
    tests/orvdap/e2e/run.sh build/bin/orvdap
    ;;
  --asan)
    scripts/setup.sh build-asan -DORVEN_SANITIZE=address -DORVEN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --test-dir build-asan --output-on-failure -j"$jobs"
    ;;
  --tsan)
    # Only the parts with threads: the programmer's worker, the gang of programmers at once and its serial
    # numbers, the link, the simulator, the debugger's stop request arriving while a go polls or while its
    # question box is open (emulator link and driver), the debug host's go thread, and orvdap's run worker
    # beside its request loop (events from the go thread, a pause while the go waits).
    ORVEN_TARGETS="programmer_tests tormik_gang_tests app_core_tests link_tests emulator_tests sim_emulator_tests driver_e2e_tests host_tests orven-sim orvdap_tests orvend" scripts/setup.sh build-tsan -DORVEN_SANITIZE=thread -DORVEN_BENCH=OFF -DORVEN_GUI=OFF >/dev/null
    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j"$jobs" -R '^(Operation|FaultMatrix|Faults/GangFault|GangRunner|StampLog.ManyWorkers|FirmwareUpdate|Connect|SimBus|EmulatorRun|EmulatorThreads|EndToEnd.Stop|TargetTest|MessageWriter|DapSession)'
    ;;
  --fuzz)
    ORVEN_TARGETS=fuzzers scripts/setup.sh build-fuzz -DORVEN_FUZZ=ON -DORVEN_GUI=OFF -DORVEN_BENCH=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    ctest --test-dir build-fuzz --output-on-failure -j"$jobs" -R '_(corpus|short)$'
    ;;
  *)
    echo "usage: scripts/test.sh [--asan|--tsan|--fuzz]" >&2
    exit 2
    ;;
esac
