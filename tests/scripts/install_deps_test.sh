#!/usr/bin/env bash
# Runs scripts/install-deps.sh against stand-in apt-get, dpkg and sudo commands
# and checks its decisions: what it installs, what it warns about, when it fails
# and what it names. The stand-ins keep their state (installed packages,
# architectures, a log of calls) in a scratch folder; nothing is installed.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
script=$root/scripts/install-deps.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

bin=$scratch/bin
mkdir -p "$bin"
cat >"$bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
state=$FAKE_STATE
case $1 in
  -s) grep -qxF -- "$2" "$state/installed" ;;
  --print-foreign-architectures) cat "$state/arches" ;;
  --add-architecture) echo "$2" >>"$state/arches"; echo "add-architecture $2" >>"$state/log" ;;
  *) exit 2 ;;
esac
STANDIN
cat >"$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
state=$FAKE_STATE
case $1 in
  update)
    echo update >>"$state/log"
    [ -e "$state/update-fails" ] && { echo "E: Some index files failed to download." >&2; exit 100; }
    exit 0 ;;
  install)
    shift
    pkgs=()
    for a in "$@"; do [[ $a == -* ]] || pkgs+=("$a"); done
    echo "install ${pkgs[*]}" >>"$state/log"
    for p in "${pkgs[@]}"; do
      if grep -qxF -- "$p" "$state/uninstallable"; then
        echo "E: Unable to locate package $p" >&2
        exit 100
      fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$state/installed"
    exit 0 ;;
esac
exit 2
STANDIN
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

main_packages="cmake ninja-build g++ librapidxml-dev libcli11-dev libboost-dev pkg-config
  libcpp-httplib-dev nlohmann-json3-dev"

failures=0
fail() {
  echo "FAIL [$case_name]: $*" >&2
  failures=$((failures + 1))
}

# One case: a name, the packages installed before, the packages that cannot be
# installed, whether the index update fails, whether 32-bit Wine starts once
# installed, and the mode argument. Leaves the exit status, standard error and
# the stand-ins' state for the checks.
run_case() {
  case_name=$1
  local before=$2 uninstallable=$3 update_fails=$4 wine32_starts=$5 mode=$6
  state=$scratch/$case_name
  mkdir -p "$state"
  : >"$state/log"
  : >"$state/arches"
  printf '%s\n' $before >"$state/installed"
  printf '%s\n' $uninstallable >"$state/uninstallable"
  [ "$update_fails" = yes ] && touch "$state/update-fails"
  local loader=/bin/false
  [ "$wine32_starts" = yes ] && loader=/bin/true
  FAKE_STATE=$state KELVORA_WINE32_LOADER=$loader PATH="$bin:$PATH" \
    bash "$script" $mode >"$state/out" 2>"$state/err"
  status=$?
}

installed() { grep -qxF -- "$1" "$state/installed"; }
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1; stderr: $(cat "$state/err")"; }
expect_installed() { for p; do installed "$p" || fail "$p was not installed"; done; }
expect_not_installed() { for p; do installed "$p" && fail "$p was installed"; done; return 0; }
expect_said() { grep -qF -- "$1" "$state/out" "$state/err" || fail "nothing said \"$1\""; }
expect_not_said() { grep -qF -- "$1" "$state/out" "$state/err" && fail "said \"$1\""; return 0; }

# A fresh machine with a good index: everything, and the 32-bit Wine path.
run_case fresh "" "" no yes ""
expect_status 0
expect_installed $main_packages libgtest-dev linuxcnc-uspace g++-mingw-w64-i686-posix wine wine32:i386
expect_installed pandoc help2man dpkg-dev man-db
expect_not_installed wine64 g++-mingw-w64-x86-64-posix
expect_said "32-bit Wine starts"
grep -qx "add-architecture i386" "$state/log" || fail "the i386 architecture was not added"

# The main job's set-up: the compiler and its libraries, no Wine, no cross-compiler.
run_case main_only "" "" no yes main
expect_status 0
expect_installed $main_packages
expect_not_installed libgtest-dev wine wine32:i386 g++-mingw-w64-i686-posix wine64 pandoc help2man dpkg-dev man-db
grep -q "add-architecture" "$state/log" && fail "the main job's set-up added an architecture"

# An index that fails to download: a warning, one retry, and the install goes on.
run_case update_fails "" "" yes yes main
expect_status 0
expect_installed $main_packages
expect_said "apt-get update failed (attempt 1 of 2)"
expect_said "apt-get update failed (attempt 2 of 2)"
expect_said "going on with the package indexes there are"
[ "$(grep -cx update "$state/log")" -eq 2 ] || fail "apt-get update ran $(grep -cx update "$state/log") times, expected 2"

# A package the tests need that the index does not offer: the run fails and names it.
run_case needed_missing "" "libgtest-dev" no yes ""
expect_status 1
expect_said "cannot install the package(s) needed: libgtest-dev"
expect_not_said "needed: libgtest-dev googletest"
expect_installed googletest clang-format

# A package the main job needs: named too, and run.sh's set-up fails.
run_case main_missing "" "libcli11-dev" no yes main
expect_status 1
expect_said "cannot install the package(s) needed: libcli11-dev"

# 32-bit Wine not installable (its i386 dependencies missing): a warning, then the
# 64-bit path, and the run succeeds.
run_case wine32_missing "" "wine32:i386" yes yes ""
expect_status 0
expect_said "32-bit Wine cannot be installed: wine32:i386"
expect_said "the Windows tests will run on the 64-bit build under 64-bit Wine: 32-bit Wine (wine32:i386) is not installed"
expect_installed wine64 g++-mingw-w64-x86-64-posix wine

# 32-bit Wine installed but the kernel cannot run it: the 64-bit path, saying why.
run_case wine32_does_not_start "" "" no no ""
expect_status 0
expect_installed wine32:i386 wine64 g++-mingw-w64-x86-64-posix
expect_said "does not start: this kernel cannot execute 32-bit programs"

# The 64-bit path needed but 64-bit Wine not installable: fails, naming it.
run_case wine64_missing "" "wine32:i386 wine64" no yes ""
expect_status 1
expect_said "cannot install the package(s) needed: wine64"

# Everything there already: no index update, no install.
all="$main_packages googletest libgtest-dev libbenchmark-dev libdxflib-dev clang-format librsvg2-bin
  clang-14 libclang-rt-14-dev valgrind linuxcnc-uspace python3-ezdxf python3-shapely chromium
  chromium-driver python3-selenium pandoc help2man dpkg-dev man-db g++-mingw-w64-i686-posix wine
  xvfb imagemagick
  fonts-wine fonts-liberation2 fonts-thai-tlwg wine32:i386"
run_case all_there "$all" "" yes yes ""
expect_status 0
[ -s "$state/log" ] && fail "apt-get or dpkg changed something: $(cat "$state/log")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install-deps: all decisions as expected (9 cases)"
