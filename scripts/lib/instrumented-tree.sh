# The instrumented tree, build-instrumented/ (INSTRUMENTED_BUILD_DIR): clang
# with AddressSanitizer (leaks included), UndefinedBehaviorSanitizer and
# libFuzzer's coverage, in which the unit tests, the CLI tests and the fuzz
# targets are built once (sanitize.sh, fuzz.sh). Sourced by those scripts.
#
#   build_instrumented_tree [cmake --build arguments...]

# clang 14 with its runtimes (libclang-rt-14-dev carries libFuzzer and the
# sanitizers), plus what the build and the tests need. Installed with apt-get
# when run as root.
instrumented_packages=(cmake pkg-config clang libclang-rt-14-dev libpugixml-dev libicu-dev libgtest-dev libgmock-dev
  python3 ninja-build ccache)
source scripts/lib/packages.sh

instrumented_build=${INSTRUMENTED_BUILD_DIR:-build-instrumented}
instrumented_jobs=${INSTRUMENTED_JOBS:-2}

# The tests that cannot run here, as one ctest name pattern. They fault on
# purpose (null reads, division by zero, stack overflow, SIGSEGV sent to the
# process, a provider that reads address 0) to test the translation of
# processor faults and the dumps written for them, and the sanitizers report
# each fault first; a process dump copies every readable mapping, which under
# AddressSanitizer includes terabytes of shadow memory. The plain tree runs
# them (scripts/test.sh).
fault_tests='^(FaultTranslation|FaultSignals|FaultDump|ProcessDump)\.|^Provider\.AFault'

build_instrumented_tree() {
  ensure_packages "${instrumented_packages[@]}"
  # -O1 keeps the fuzz targets fast enough to explore and the tests quick;
  # -fno-sanitize-recover: undefined behaviour aborts the program instead of
  # printing a line and carrying on, so that every report is a failure.
  # Without the vptr check: it proves an object's type by reading its
  # memory through a pipe, which the tests that take every file descriptor
  # away (the pipe listener's) turn into false reports.
  CC=clang CXX=clang++ cmake -S . -B "$instrumented_build" \
    -DCMAKE_BUILD_TYPE=Debug \
    -DWC_BUILD_TESTS=ON \
    -DWC_BUILD_FUZZ=ON \
    -DWC_SANITIZE=address,undefined \
    -DWC_NO_SANITIZE=vptr \
    -DCMAKE_C_FLAGS="-O1 -fno-sanitize-recover=undefined" \
    -DCMAKE_CXX_FLAGS="-O1 -fno-sanitize-recover=undefined" >/dev/null
  cmake --build "$instrumented_build" -j"$instrumented_jobs" "$@"
}
