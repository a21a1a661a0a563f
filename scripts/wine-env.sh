# Sourced (`source scripts/wine-env.sh`) before running the Windows build's tests by hand:
# points WINEPREFIX at the Windows build's own prefix and makes it when it is missing.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=$root/build/win/wineprefix
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
