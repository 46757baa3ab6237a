# Sourced: the environment every Wine process of a build runs in.
# Usage: . scripts/wine-env.sh BUILD_DIR
_build="$(cd "${1:?build folder}" && pwd)"
export WINEPREFIX="$_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8
export WINEARCH=win64
unset _build
