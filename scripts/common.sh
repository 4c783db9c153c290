# Shared by scripts/run and scripts/test: install what is missing, then build.
# Sourced, not run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

install_packages() {
    local wanted missing=()
    wanted=$(grep -vE '^\s*(#|$)' scripts/packages.txt)
    for p in $wanted; do
        [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = 'install ok installed' ] || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake --preset default >/dev/null
    cmake --build --preset default
}
