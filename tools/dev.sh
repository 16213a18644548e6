#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine (run as root, or with sudo):
#   tools/dev.sh run    install what is missing, build into build/ and start the program
#   tools/dev.sh test   install what is missing, build into build/ and run every test
# In CI (CI=true) the tests also run once under AddressSanitizer and
# UndefinedBehaviorSanitizer, random window scenarios run through the sanitizer
# build for two minutes, the script-language fuzzer runs for a minute, and a
# ThreadSanitizer build runs the tests of the study's worker threads and of
# interpreters on several threads.
# The test command ends by building the Debian package and checking it with
# lintian, appstreamcli and desktop-file-validate (tools/check_package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
  qt6-charts-dev libqt6opengl6-dev libboost-math-dev
  fonts-liberation2 fontconfig xdg-utils
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
  clang libclang-rt-14-dev clang-format git
  poppler-utils xvfb xauth locales python3
  lintian appstream desktop-file-utils
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The tests run the program under Russian regional settings too.
ensure_russian_locale() {
  locale -a 2>/dev/null | grep -qi '^ru_RU.utf8$' && return 0
  [ "$(id -u)" -eq 0 ] || return 0
  sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
}

configure_and_build() {  # dir, extra cmake args...
  local dir=$1
  shift
  cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$root/$dir" -j "$(nproc)"
}

# The tests that start threads, under ThreadSanitizer: the study's runner on
# its worker threads (built-in formulas and the user's expression), and the
# interpreter run and stopped from another thread. The statistical tests of the
# study use the same runner and would only add minutes here.
run_thread_tests() {
  local started=$SECONDS
  cmake -S "$root" -B "$root/build-tsan" -G Ninja -DMCPLOT_TSAN=ON -DMCPLOT_GUI=OFF -DMCPLOT_BENCH=OFF \
    -DMCPLOT_WERROR=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$root/build-tsan" -j "$(nproc)" --target study_tests vbscript_tests
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  build-tsan/study_tests --gtest_filter='StudyRunner.*:ProgramIntegrands.*'
  build-tsan/vbscript_tests --gtest_filter='*Thread*'
  unset TSAN_OPTIONS
  echo "ThreadSanitizer stage: $((SECONDS - started)) s"
}

# Each stage of the test command says how long it took.
stage_start=$SECONDS
stage_done() {
  echo "Stage done: $1, $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

case "${1:-}" in
  run)
    install_missing
    configure_and_build build -DMCPLOT_WERROR=$werror
    cd build && exec ./mcplot
    ;;
  test)
    install_missing
    ensure_russian_locale
    export QT_QPA_PLATFORM=offscreen
    # The layout of the C++ files first: a file off .clang-format fails the run.
    tools/check_format.sh
    stage_done "set-up and layout check"
    if [ "${CI:-}" = "true" ]; then
      configure_and_build build-asan -DMCPLOT_SANITIZE=ON -DMCPLOT_BENCH=OFF -DMCPLOT_WERROR=ON \
        -DCMAKE_BUILD_TYPE=Debug
      # intercept_tls_get_addr=0: the runtime of GCC 12 takes a dynamic TLS
      # block that malloc happens to place 16 bytes into a page (libjpeg's, under
      # Qt's image plugin) for a header of an old glibc, and the leak checker then
      # crashes on the range it reads from it. Without the interception only such
      # blocks are not searched for pointers; leaks are still reported.
      export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0
      (cd build-asan && ctest --output-on-failure -j 2 --timeout 600)
      stage_done "sanitizer build and tests"
      # Seeds from 1 in order, as many as two minutes allow.
      python3 tests/scenario_fuzz/scenario_fuzz.py --driver build-asan/formdriver --assets assets \
        --seeds 1:1000000 --minutes 2 --out build-asan/scenario-fuzz
      stage_done "window scenarios"
      if [ -x tools/fuzz.sh ]; then
        tools/fuzz.sh 60
      fi
      stage_done "interpreter fuzzing"
      run_thread_tests
      stage_done "ThreadSanitizer build and thread tests"
    fi
    configure_and_build build -DMCPLOT_WERROR=$werror
    (cd build && ctest --output-on-failure -j 2 --timeout 600)
    stage_done "build and tests"
    # The Debian package from this build, checked as a distribution would.
    tools/check_package.sh build
    stage_done "package checks"
    ;;
  *)
    echo "usage: tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
