#!/usr/bin/env bash
# Installs what is missing (Debian packages), builds with warnings as errors
# and runs every test. Safe to run again; each stage has its own build folder.
#
#   bash scripts/test.sh          Release build in build/, then ctest
#   bash scripts/test.sh --full   also: the tests again with AddressSanitizer and
#                                 UndefinedBehaviorSanitizer (build-asan/), and each
#                                 fuzz target for 20 s with clang (build-fuzz/)
#
# With the environment variable CI set (CI=true) it runs --full.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
fuzz_seconds=${QM_FUZZ_SECONDS:-20}
full=0
if [[ -n ${CI:-} && ${CI} != false && ${CI} != 0 ]]; then full=1; fi

while (($#)); do
  case $1 in
    --full) full=1 ;;
    -h | --help) sed -n '2,10s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; exit 0 ;;
    *) echo "test.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
  esac
  shift
done

# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"

# The history tests need a PostgreSQL server and pdftotext; the package test
# builds the .deb and runs lintian on it.
ensure_packages "${qm_build_packages[@]}" "${qm_package_packages[@]}" clang xvfb xauth \
  fonts-dejavu-core postgresql poppler-utils clang-format
if ((full)); then
  # libFuzzer's runtime is only a recommendation of clang.
  clang_major=$(clang -dumpversion | cut -d. -f1)
  if apt-cache show "libclang-rt-$clang_major-dev" >/dev/null 2>&1; then
    ensure_packages "libclang-rt-$clang_major-dev"
  fi
fi

# Stopped on every exit, failures included.
cleanups=()
cleanup() {
  local c
  for c in "${cleanups[@]}"; do eval "$c" || true; done
}
trap cleanup EXIT

# A PostgreSQL server of our own for the history tests: a temporary cluster,
# reachable only through a Unix socket in its folder (no TCP port). The
# server refuses to run as root, so as root it runs as the postgres user.
start_postgres() {
  local bin pg run=()
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [[ -x $bin/pg_ctl ]] || { echo "test.sh: no PostgreSQL server binaries" >&2; exit 1; }
  pg=$(mktemp -d /tmp/qm07-pg.XXXXXX)
  if ((EUID == 0)); then
    chown postgres: "$pg"
    run=(runuser -u postgres --)
  fi
  cleanups+=("${run[*]} $bin/pg_ctl -D $pg/data -m immediate stop >/dev/null; rm -rf $pg")
  step "PostgreSQL test server (socket in $pg)"
  "${run[@]}" "$bin/initdb" -D "$pg/data" -U qm07 --auth=trust -E UTF8 --no-locale >"$pg/initdb.log" \
    || { cat "$pg/initdb.log" >&2; exit 1; }
  "${run[@]}" "$bin/pg_ctl" -D "$pg/data" -l "$pg/server.log" -w \
    -o "-c listen_addresses='' -k $pg -c fsync=off" start >/dev/null \
    || { cat "$pg/server.log" >&2; exit 1; }
  "$bin/createdb" -h "$pg" -U qm07 qm07
  export QM07_TEST_POSTGRES="postgresql://qm07@/qm07?host=$pg"
}
start_postgres

step "formatting (clang-format, .clang-format at the root)"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run -Werror)
fi

step "build (Release, warnings as errors) in build/"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DQM_WERROR=ON
cmake --build "$root/build" -j "$jobs"
step "tests"
ctest --test-dir "$root/build" --output-on-failure

((full)) || exit 0

step "build with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQM_WERROR=ON -DQM_SANITIZE=ON
cmake --build "$root/build-asan" -j "$jobs"
step "tests under the sanitizers"
# Any report fails the run: ASan and UBSan stop the test (non-zero exit).
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
ctest --test-dir "$root/build-asan" --output-on-failure

step "fuzz targets (clang) in build-fuzz/"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQM_FUZZ=ON -DQM_TESTS=OFF -DQM_WERROR=ON
cmake --build "$root/build-fuzz" -j "$jobs" --target qm_fuzzers
# A small quarantine keeps a 20 s run well inside libFuzzer's memory limit.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:quarantine_size_mb=64
work=$(mktemp -d)
cleanups+=("rm -rf $work")
for target in decodeimage devfloat valdot replies recordjson language historyrow settings \
  backupfile session; do
  step "fuzz_$target for ${fuzz_seconds} s"
  mkdir -p "$work/$target"
  "$root/build-fuzz/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/crash-$target-" \
    "$work/$target" "$root/fuzz/corpus/$target" 2>&1 | grep -Ev '^#[0-9]+[[:space:]]+(NEW|REDUCE)'
done
step "all passed"
