# Shared by the setup pieces: running as root, Debian's package lists and installs, and
# Debian's source packages. Sourced by ./dev, which defines root, build, deps, jobs, step and
# fail.

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

apt_updated=0
apt_update() {
    [ "$apt_updated" = 0 ] || return 0
    step "apt-get update"
    # A mirror in the middle of a sync fails one index (often the i386 one of
    # the security suite) while the rest are fine: go on with what came, and
    # let the install say whether it was enough.
    as_root apt-get update -q >"$build/apt-update.log" 2>&1 ||
        printf 'dev: warning: apt-get update failed in part; going on with the indexes it has (see %s)\n' \
            "$build/apt-update.log" >&2
    apt_updated=1
}

debian_codename() { (. /etc/os-release && echo "${VERSION_CODENAME:-}"); }

# Installs the packages; when that fails (an index missing after a partial
# update leaves the security versions of one architecture unreachable), tries
# once more with the release itself pinned. Returns non-zero when both fail.
apt_try_install() {
    [ "$#" -gt 0 ] || return 0
    apt_update
    step "apt-get install $*"
    if as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" \
        >"$build/apt.log" 2>&1; then
        return 0
    fi
    local codename
    codename=$(debian_codename)
    [ -n "$codename" ] || return 1
    step "apt-get install again with the release pinned ($codename)"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -o APT::Default-Release="$codename" "$@" >>"$build/apt.log" 2>&1
}

apt_install() {
    apt_try_install "$@" || fail "apt-get install failed (see $build/apt.log)"
}

# `apt-get source` needs deb-src entries; add them for this release if none exist.
ensure_deb_src() {
    if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return
    fi
    local codename
    codename=$(debian_codename)
    step "adding Debian source entries for $codename (for apt-get source)"
    as_root tee /etc/apt/sources.list.d/velumar-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt_updated=0
    apt_update
}

# fetch_debian_source FOLDER PACKAGE [OPTION...]: `apt-get source [OPTION...] PACKAGE` (this
# release's source package) run in FOLDER; what it says goes to a log under build/deps/src.
fetch_debian_source() {
    local folder=$1 package=$2
    shift 2
    ensure_deb_src >&2
    step "apt-get source ${*:+$* }$package" >&2
    mkdir -p "$folder" "$deps/src"
    (cd "$folder" && apt-get source -q "$@" "$package" >"$deps/src/apt-source-$package.log" 2>&1) ||
        fail "apt-get source $package failed (see $deps/src/apt-source-$package.log)"
}

# unpacked_debian_source PACKAGE: the folder of PACKAGE's unpacked sources under
# build/deps/src, fetched the first time.
unpacked_debian_source() {
    local package=$1 dir
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$package-[0-9]*" 2>/dev/null | head -n 1 || true)
    if [ -z "$dir" ]; then
        fetch_debian_source "$deps/src" "$package"
        dir=$(find "$deps/src" -maxdepth 1 -type d -name "$package-[0-9]*" | head -n 1)
    fi
    [ -n "$dir" ] || fail "apt-get source $package left no $package-* folder in $deps/src"
    echo "$dir"
}
