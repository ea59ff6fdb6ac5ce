#!/usr/bin/env bash
# Installs the Debian packages that Verbarium's build and tests need and that
# are missing. Works as root or through sudo. Usage: install-deps.sh [run|test|screenshots]
set -euo pipefail

purpose=${1:-test}

# The native preset, which the run command builds too, configures the
# benchmarks, so Google Benchmark is needed to run as well as to test. NSIS
# makes the Windows installer: whoever can build and run can make a release.
run_packages=(
  g++ cmake ninja-build pkg-config
  googletest zlib1g-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils imagemagick fonts-noto-cjk
  nsis
)
# The screenshots of the guides: windows driven from the keyboard, and the
# frames Wine draws with its own fonts.
screenshot_packages=(
  "${run_packages[@]}"
  xdotool fonts-wine
)
test_packages=(
  "${run_packages[@]}"
  clang libclang-rt-14-dev
  gettext
)

case "$purpose" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  screenshots) wanted=("${screenshot_packages[@]}") ;;
  *) echo "usage: $0 [run|test|screenshots]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "install-deps: these packages are missing and neither root nor sudo is at hand: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
