# The Debian packages the project builds and tests with, and wine32 where the host can run it.

apt_packages=(
    cmake g++ clang clang-format make pkg-config dpkg-dev file python3
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    zlib1g-dev libjpeg62-turbo-dev libjpeg-turbo-progs googletest libbenchmark-dev
    wine wine64 xvfb fonts-wine osslsigncode
)

# True when this kernel runs 32-bit Linux programs; without that, wine32 and
# so i686 Windows programs cannot run, and the Windows tests run from the
# x86-64 build under 64-bit Wine.
host_runs_i386() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

setup_packages() {
    mkdir -p "$build"
    apt_install $(missing_packages "${apt_packages[@]}")
    # Node.js may come from elsewhere with its own npm; Debian's only when absent.
    command -v npm >/dev/null || apt_install nodejs npm
    setup_wine32
}

# wine32 runs the i686 Windows programs. Where it cannot be installed, or the
# kernel refuses 32-bit programs, the Windows tests run from the x86-64 build
# instead: a reason to warn, not to stop.
setup_wine32() {
    [ -z "$(missing_packages wine32:i386)" ] && return 0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        step "dpkg --add-architecture i386 (for wine32)"
        as_root dpkg --add-architecture i386
        apt_updated=0
    fi
    apt_try_install wine32:i386 ||
        printf 'dev: warning: wine32 could not be installed (see %s); the Windows tests will run from the x86-64 build\n' \
            "$build/apt.log" >&2
}
