# The runtime the shipped i686 programs link, built for the i486 like them:
# Debian's MinGW-w64 runtime is built for the Pentium Pro (cmov, fcomi). Its
# pieces are cross-built once from Debian's sources (gcc-12-source for libgcc
# and libstdc++'s language support, mingw-w64 for the C run-time start-up),
# again when these flags or lists change, and kept under
# build/deps/<triple>/runtime as copies of Debian's libraries with those
# members replaced; the win32 preset links from there first (-B, -L). The
# test programs keep Debian's.
#   libgcc_eh  the unwinder (unwind-dw2, unwind-dw2-fde, unwind-c) and emutls
#   libgcc     the 64-bit integer and x87 conversion helpers, gthr-win32
#   libstdc++  the exception machinery, operator new and delete, type info
#   libmingw32 and crt2.o, dllcrt2.o: the C run-time start-up
# Built for size, as the programs are (the unwinder alone is some 20 KB of
# every installer). Tuned for the i686: the generic tuning writes tzcnt
# (rep bsf) in the bit-count helpers, which the instruction check refuses.
runtime_c_flags="-Os -march=i486 -mtune=i686"
# The members rebuilt, one name per line, in tools/setup/runtime/<library>.members.
runtime_lists=$root/tools/setup/runtime
runtime_members() { grep -v '^#' "$runtime_lists/$1.members" | tr -s ' \n' ' '; }
runtime_libgcc_eh=$(runtime_members libgcc_eh)
runtime_libgcc=$(runtime_members libgcc)
runtime_libsupcxx=$(runtime_members libsupcxx)
runtime_libmingw32=$(runtime_members libmingw32)

# Unpacks the parts of Debian's GCC source the runtime needs (gcc-12-source
# carries the upstream tarball) into build/deps/src; prints the folder.
gcc_runtime_source() {
    local version=$1 major=${1%%.*} dir=$deps/src/gcc-runtime-$1
    if [ ! -f "$dir/.complete" ]; then
        step "apt-get download gcc-$major-source (libgcc and libstdc++ sources for the i486 runtime)" >&2
        mkdir -p "$deps/src"
        rm -rf "$dir" "$deps/src"/gcc-*-source_*.deb
        (cd "$deps/src" && apt-get download -q "gcc-$major-source" >"$deps/src/apt-gcc-source.log" 2>&1) ||
            fail "apt-get download gcc-$major-source failed (see $deps/src/apt-gcc-source.log)"
        mkdir -p "$dir"
        dpkg-deb --fsys-tarfile "$deps/src"/gcc-*-source_*.deb |
            tar -xO --wildcards "./usr/src/gcc-$major/gcc-$version*.tar.xz" |
            tar -xJ -C "$dir" --strip-components=1 --wildcards --no-wildcards-match-slash \
                "gcc-$version/libgcc" "gcc-$version/libstdc++-v3/libsupc++" "gcc-$version/include" \
                "gcc-$version/gcc/config/i386" "gcc-$version/gcc/*.h" "gcc-$version/gcc/config/*.h" ||
            fail "unpacking gcc-$version from gcc-$major-source failed"
        rm -f "$deps/src"/gcc-*-source_*.deb
        touch "$dir/.complete"
    fi
    echo "$dir"
}

# The same for the MinGW-w64 C run-time's start-up sources.
mingw_crt_source() {
    local dir=$deps/src/mingw-w64-crt
    if [ ! -f "$dir/.complete" ]; then
        rm -rf "$dir" "$deps/src/mingw-w64-dl"
        mkdir -p "$dir"
        fetch_debian_source "$deps/src/mingw-w64-dl" mingw-w64 --download-only
        tar -xjf "$deps/src/mingw-w64-dl"/mingw-w64_*.orig.tar.bz2 -C "$dir" --strip-components=2 \
            --wildcards "*/mingw-w64-crt/crt/*" "*/mingw-w64-crt/include/*" ||
            fail "unpacking the mingw-w64 sources failed"
        rm -rf "$deps/src/mingw-w64-dl"
        touch "$dir/.complete"
    fi
    echo "$dir"
}

# libgcc's own build reads the target's configuration from headers that GCC's build
# generates: tools/setup/runtime/libgcc-config/ holds the same for the i686 MinGW target (tm.h
# includes the target's headers as GCC's does); three more come from GCC's sources.
write_libgcc_config() {
    local inc=$1 gcc=$2
    mkdir -p "$inc"
    cp "$runtime_lists/libgcc-config"/*.h "$inc/"
    cp "$gcc/libgcc/unwind-generic.h" "$inc/unwind.h"
    cp "$gcc/libgcc/config/i386/gthr-win32.h" "$inc/gthr-default.h"
    cp "$gcc/libgcc/config/i386/w32-unwind.h" "$inc/md-unwind-support.h"
}

setup_mingw_runtime() {
    local triple=$1 out=$deps/$1/runtime version stamp
    # The compiler calls itself "12-win32": its package says which GCC it is.
    version=$(dpkg-query -W -f='${Version}' "gcc-mingw-w64-${triple%%-*}-win32" 2>/dev/null | sed 's/-.*//')
    [ -n "$version" ] || fail "gcc-mingw-w64-${triple%%-*}-win32 is not installed"
    stamp="gcc $version; $runtime_c_flags; $(cat "$runtime_lists"/*.members "$runtime_lists"/libgcc-config/*.h | sha256sum | cut -c1-16)"
    [ -f "$out/crt2.o" ] && [ "$(cat "$out/build-flags" 2>/dev/null)" = "$stamp" ] && return 0
    local gcc crt
    gcc=$(gcc_runtime_source "$version")
    crt=$(mingw_crt_source)
    step "cross-building the i486 runtime for $triple"
    local work=$deps/work-runtime-$triple log=$deps/runtime-$triple.log name libdir
    libdir=$(dirname "$("$triple-gcc-win32" -print-libgcc-file-name)")
    rm -rf "$work" "$out"
    mkdir -p "$work/eh" "$work/gcc" "$work/supcxx" "$work/mingw32" "$out"
    : >"$log"
    write_libgcc_config "$work/include" "$gcc"
    local cc="$triple-gcc-win32 $runtime_c_flags"
    local libgcc_flags="-DIN_GCC -DCROSS_DIRECTORY_STRUCTURE -DIN_LIBGCC2 -fbuilding-libgcc -fno-stack-protector"
    libgcc_flags="$libgcc_flags -I$work/include -I$gcc/libgcc -I$gcc/gcc -I$gcc/include"
    # shellcheck disable=SC2086
    for name in $runtime_libgcc_eh; do
        $cc $libgcc_flags -fexceptions -c "$gcc/libgcc/$name.c" -o "$work/eh/$name.o" >>"$log" 2>&1 ||
            fail "building libgcc_eh's $name failed (see $log)"
    done
    # shellcheck disable=SC2086
    for name in $runtime_libgcc; do
        $cc $libgcc_flags "-DL$name" -c "$gcc/libgcc/libgcc2.c" -o "$work/gcc/$name.o" >>"$log" 2>&1 ||
            fail "building libgcc's $name failed (see $log)"
    done
    # shellcheck disable=SC2086
    $cc $libgcc_flags -c "$gcc/libgcc/config/i386/gthr-win32.c" -o "$work/gcc/gthr-win32.o" >>"$log" 2>&1 ||
        fail "building libgcc's gthr-win32 failed (see $log)"
    # shellcheck disable=SC2086
    for name in $runtime_libsupcxx; do
        "$triple-g++-win32" $runtime_c_flags -std=gnu++17 -fno-implicit-templates -ffunction-sections \
            -fdata-sections -I"$gcc/libstdc++-v3/libsupc++" -I"$gcc/libgcc" \
            -c "$gcc/libstdc++-v3/libsupc++/$name.cc" -o "$work/supcxx/$name.o" >>"$log" 2>&1 ||
            fail "building libstdc++'s $name failed (see $log)"
    done
    local crt_flags="-std=gnu99 -D_CRTBLD -D_WIN32_WINNT=0x0f00 -D__MSVCRT_VERSION__=0x700"
    crt_flags="$crt_flags -D__USE_MINGW_ANSI_STDIO=0 -D_SYSCRT=1 -DCRTDLL=1 -I$crt/include"
    # shellcheck disable=SC2086
    for name in $runtime_libmingw32; do
        $cc $crt_flags -c "$crt/crt/$name.c" -o "$work/mingw32/lib32_libmingw32_a-$name.o" >>"$log" 2>&1 ||
            fail "building libmingw32's $name failed (see $log)"
    done
    # shellcheck disable=SC2086
    $cc $crt_flags -c "$crt/crt/crtexe.c" -o "$out/crt2.o" >>"$log" 2>&1 &&
        $cc $crt_flags -c "$crt/crt/crtdll.c" -o "$out/dllcrt2.o" >>"$log" 2>&1 ||
        fail "building crt2.o and dllcrt2.o failed (see $log)"
    # Debian's libraries with the members rebuilt here in place of theirs: the
    # rest is not linked by the shipped programs (the instruction check would
    # name any that came to be).
    local archive dir source
    for archive in libgcc_eh:eh libgcc:gcc libstdc++:supcxx libmingw32:mingw32; do
        name=${archive%%:*} dir=$work/${archive##*:} source=$libdir/${archive%%:*}.a
        [ "$name" = libmingw32 ] && source=/usr/$triple/lib/libmingw32.a
        cp "$source" "$out/$name.a"
        "$triple-ar" r "$out/$name.a" "$dir"/*.o >>"$log" 2>&1 &&
            "$triple-ranlib" "$out/$name.a" ||
            fail "replacing the members of $name.a failed (see $log)"
    done
    printf '%s\n' "$stamp" >"$out/build-flags"
    rm -rf "$work"
}
