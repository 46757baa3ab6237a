#!/usr/bin/env bash
# The README's test command: installs what is missing, builds Quillet and its tests for
# Windows, and runs every test under Wine in the build's private prefix.
# Usage: scripts/test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"

bash "$root/scripts/setup.sh"

# Where the tests run as x86-64 programs (see build-env.sh), the entries that only a 32-bit
# process can show are left out, loudly: the end-to-end runs through the 32-bit registry
# view, the setup program, the shipped files' headers, the 32-bit address space.
. "$root/scripts/build-env.sh" "$build"
exclude=""
if [ "$quillet_arch" != i686 ]; then
  exclude='^(quillet_e2e|installer_tests)$'
  export GTEST_FILTER='-Executables.AreX86AndTheProgramsLargeAddressAware:HostTableTest.TablesTooLargeForTheAddressSpaceFailClearly'
  quillet_arch_note "left out: quillet_e2e, installer_tests and the two 32-bit-only checks ($GTEST_FILTER)"
fi

quillet_configure "$build"
cmake --build "$build"

quillet_wine_session "$build"
status=0
(cd "$build" && ctest --output-on-failure --timeout 600 ${exclude:+-E "$exclude"}) || status=$?
exit $status
