# Shared by the scripts: install what is missing, build, and build a
# toolchain for another platform. Sourced, not run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# Installs the missing packages of the groups named (scripts/packages.txt,
# a group a "[name]" line; "all" is every group).
#   install_packages GROUP...
install_packages() {
    local wanted have missing
    wanted=$(awk -v want=" $* " '
        /^\[.+\]$/ { group = substr($0, 2, length($0) - 2); known[group] = 1; next }
        /^[[:space:]]*(#|$)/ { next }
        want ~ " all " || index(want, " " group " ") { print $1 }
        END { n = split(want, asked, " ")
              for (i = 1; i <= n; i++) if (asked[i] != "all" && !(asked[i] in known)) {
                  print "scripts/packages.txt has no group " asked[i] > "/dev/stderr"; exit 1 } }
    ' scripts/packages.txt | sort -u) || exit 1
    [ -n "$wanted" ] || { echo "install_packages: no package in the groups: $*" >&2; exit 1; }
    # What is installed, and what the installed packages provide: Node.js from
    # its makers' archive carries npm itself, and Debian's npm would not go
    # beside it.
    have=$(dpkg-query -W -f='${Status}\t${Package}, ${Provides}\n' 2>/dev/null \
        | awk -F'\t' '$1 == "install ok installed" { print $2 }' \
        | tr ',' '\n' | sed -E 's/\(.*\)//; s/:[a-z0-9]+//; s/[[:space:]]//g' | sort -u)
    missing=$(comm -23 <(echo "$wanted") <(echo "$have"))
    [ -n "$missing" ] || return 0
    # shellcheck disable=SC2086  # one package a word
    echo "Installing:" $missing
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    # Unpacking is most of the wait on a fresh machine (the build group is
    # some 320 packages), and dpkg's sync of every file before its rename
    # nearly half of that: in a fresh Debian 12 chroot, beside another build,
    # the build group took 132 s with the syncs and 75 s without. What they
    # guard against is a crash in the middle of the install, which installing
    # the same packages again mends; Debian's official container images
    # unpack this way too.
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o Dpkg::Options::=--force-unsafe-io $missing
}

# Configures and builds the default preset into build/: the targets named,
# or everything (the program, its tests, its benchmarks and tools).
#   build [TARGET...]
build() {
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    cmake --preset default >/dev/null
    cmake --build --preset default "${targets[@]}"
}

sudo_if_needed() { [ "$(id -u)" -eq 0 ] || echo sudo; }

# A static Qt for another platform, built from Debian's own source of the Qt
# the host has (the host's moc, rcc and uic do the host's part), only when it
# is missing. It lives in a cache outside the tree, one folder per key (see
# qt_key), so a changed option builds anew and a second run costs nothing; a
# folder without its stamp is what a stopped build left, and is never used.
#   qt_toolchain NAME KEY STEPS CONFIGURE-OPTIONS...
# NAME is the link the presets build with ($cache/qt6-NAME); STEPS, the
# number of build steps, for the progress lines. The caller may set
# qt_cmake_args (CMake's part of the configure line) and define qt_patches
# (filters Debian's list of patches; all are applied when it is not defined)
# and qt_prepare PREFIX SOURCE (run before configuring, in Qt's unpacked source).
[ -n "${HOME:-}" ] || HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
export HOME  # the presets find the toolchains under $HOME
cache="$HOME/.cache/simatoplektis"
qt_cmake_args=()

# The key of a toolchain: the host Qt's version and what the caller feeds in.
qt_key() {
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev) || qt_failed "reading the host Qt's version"
    (echo "$qt_version"; cat) | sha256sum | cut -c 1-16
}

qt_toolchain() {
    local name=$1 key=$2 steps=$3 qt_version prefix work link
    shift 3
    link="$cache/qt6-$name"
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev) || qt_failed "reading the host Qt's version"
    prefix="$cache/qt-$qt_version-$key"
    mkdir -p "$cache"
    if [ -f "$prefix/.complete" ]; then
        ln -sfn "$prefix" "$link"
        qt_step "toolchain: $prefix"
        return 0
    fi
    rm -rf "$prefix"
    mkdir -p "$prefix"
    work=$(mktemp -d "$cache/build.XXXXXX")
    # shellcheck disable=SC2064  # the folder is known now
    trap "rm -rf '$work'" EXIT

    qt_step "toolchain: Qt $qt_version for $name is missing; building it (a quarter of an hour or more on 2 cores)"
    qt_step "fetching Debian's source of qt6-base $qt_version"
    # Source packages come from the same archive as the binary ones, named
    # in either of apt's forms: a container's deb822 file, or the one-line
    # list that the installer and debootstrap write.
    local sources=/etc/apt/sources.list.d/debian.sources lines=/etc/apt/sources.list
    if ! grep -rqs -e '^Types:.*deb-src' -e '^deb-src ' /etc/apt/sources.list.d/ "$lines"; then
        if [ -f "$sources" ]; then
            sed 's/^Types: deb$/Types: deb-src/' "$sources" | $(sudo_if_needed) tee /etc/apt/sources.list.d/debian-src.sources
        else
            sed -n 's/^deb \(.*\)$/deb-src \1/p' "$lines" | $(sudo_if_needed) tee /etc/apt/sources.list.d/debian-src.list
        fi >/dev/null
        $(sudo_if_needed) apt-get update -qq || qt_failed "apt-get update" "is the package archive reachable?"
    fi
    (cd "$work" && apt-get source -qq --download-only "qt6-base=$qt_version" >/dev/null 2>&1) \
        || qt_failed "fetching the source of qt6-base $qt_version" "is the package archive reachable?"
    if declare -F qt_patches >/dev/null; then
        (cd "$work" && dpkg-source -q --skip-patches -x ./*.dsc src >/dev/null 2>&1) || qt_failed "unpacking the Qt source"
        local patch
        for patch in $(qt_patches <"$work/src/debian/patches/series"); do
            patch -s -d "$work/src" -p1 <"$work/src/debian/patches/$patch" || qt_failed "applying Debian's $patch"
        done
    else
        (cd "$work" && dpkg-source -q -x ./*.dsc src >/dev/null 2>&1) || qt_failed "unpacking the Qt source"
    fi
    if declare -F qt_prepare >/dev/null; then qt_prepare "$prefix" "$work/src"; fi

    qt_step "configuring Qt"
    (cd "$work" && mkdir build && cd build && ../src/configure -prefix "$prefix" -qt-host-path /usr \
        "$@" -- -G Ninja -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${qt_cmake_args[@]}" \
        >"$work/configure.log" 2>&1) \
        || { tail -n 30 "$work/configure.log" >&2; qt_failed "configuring Qt" "see the lines above"; }

    qt_step "building Qt (about $steps steps)"
    (cd "$work/build" && ninja 2>&1 | tee "$work/build.log" \
        | awk -F'[][/]' '/^\[/ && $2 % 250 == 0 { print "   step " $2 " of " $3; fflush() }') \
        || { grep -A20 -m1 'FAILED' "$work/build.log" >&2; qt_failed "building Qt" "see the lines above"; }

    qt_step "installing Qt into $prefix"
    (cd "$work/build" && ninja install >"$work/install.log" 2>&1) \
        || { tail -n 30 "$work/install.log" >&2; qt_failed "installing Qt" "is the disk full?"; }
    touch "$prefix/.complete"
    ln -sfn "$prefix" "$link"
    rm -rf "$work"
    trap - EXIT
    qt_step "toolchain ready: $prefix ($(du -sh "$prefix" | cut -f 1))"
}
qt_step() { echo "== ${script_name} $(date +%T): $*"; }
qt_failed() { echo "scripts/${script_name}: $1 failed${2:+: $2}" >&2; exit 1; }
script_name=$(basename "$0")
