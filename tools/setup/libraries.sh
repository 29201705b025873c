# libjpeg and zlib for the Windows builds, cross-built from Debian's source packages.

# The i686 programs ship to Windows 95 to XP, whose machines include Pentiums, K6s and 6x86s
# without the Pentium Pro's instructions: what they link is built for the i486, as the
# programs are (CMakeLists.txt). The x86-64 build runs the tests only.
# with_arch_flags TRIPLE FLAGS: FLAGS with the processor flags of TRIPLE's programs.
with_arch_flags() {
    case $1 in
    i686-*) echo "$2 -march=i486 -mtune=generic" ;;
    *) echo "$2" ;;
    esac
}

# libjpeg for the Windows builds: Debian's libjpeg-turbo source package,
# cross-built once per MinGW target (again when these flags or this
# configuration change) and kept under build/deps. It is linked into the
# installer, so it is built for size, one section per function for the linker
# to drop what the decoder never calls, and with msvcrt's own stdio (MinGW's
# ANSI replacement would bring its scanf and printf engines along for one
# sscanf).
libjpeg_c_flags="-Os -DNDEBUG -D__USE_MINGW_ANSI_STDIO=0 -ffunction-sections -fno-asynchronous-unwind-tables"
# The preview decodes baseline and progressive files at their own size into
# RGB, with libjpeg's defaults (the accurate integer IDCT, fancy upsampling):
# libjpeg's own configuration switches (jmorecfg.h) leave out what it reaches
# only through its function tables, which the linker cannot drop (the scaled
# IDCTs, the colour quantizers, the merged upsampler, the fast and the
# floating-point IDCTs), and its CMake options the arithmetic decoder. The
# conversions to the other RGB layouts and to RGB565 have no switch of their
# own: cmake/libjpeg-turbo-colour-output.patch gives them two.
libjpeg_left_out="IDCT_SCALING_SUPPORTED QUANT_1PASS_SUPPORTED QUANT_2PASS_SUPPORTED UPSAMPLE_MERGING_SUPPORTED DCT_IFAST_SUPPORTED DCT_FLOAT_SUPPORTED EXT_COLORSPACES_SUPPORTED RGB565_SUPPORTED"
libjpeg_cmake_options="-DWITH_ARITH_DEC=OFF -DWITH_ARITH_ENC=OFF"
libjpeg_patch=$root/cmake/libjpeg-turbo-colour-output.patch
setup_mingw_libjpeg() {
    local triple=$1 prefix=$deps/$1 flags stamp
    flags=$(with_arch_flags "$triple" "$libjpeg_c_flags")
    stamp="$flags; without $libjpeg_left_out; $libjpeg_cmake_options; $(sha256sum <"$libjpeg_patch" | cut -c1-16)"
    [ -f "$prefix/lib/libjpeg.a" ] && [ "$(cat "$prefix/build-flags" 2>/dev/null)" = "$stamp" ] &&
        return 0
    local src
    src=$(unpacked_debian_source libjpeg-turbo)
    step "cross-building libjpeg-turbo for $triple"
    local work=$deps/work-$triple switch
    rm -rf "$work"
    # The configuration is jmorecfg.h's: a copy of the sources gets it, so the
    # unpacked ones stay Debian's.
    mkdir -p "$work"
    cp -a "$src" "$work/src"
    patch -d "$work/src" -p1 -s <"$libjpeg_patch" >"$deps/libjpeg-$triple.log" 2>&1 ||
        fail "$libjpeg_patch does not apply to $(basename "$src") (see $deps/libjpeg-$triple.log)"
    for switch in $libjpeg_left_out; do
        grep -q "^#define $switch\b" "$work/src/jmorecfg.h" ||
            fail "libjpeg's jmorecfg.h has no $switch to leave out"
        sed -i "s/^#define $switch\b/#undef  $switch/" "$work/src/jmorecfg.h"
    done
    # shellcheck disable=SC2086
    cmake -S "$work/src" -B "$work/build" -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_SYSTEM_PROCESSOR="${triple%%-*}" \
        -DCMAKE_C_COMPILER="$triple-gcc-win32" -DCMAKE_RC_COMPILER="$triple-windres" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$flags" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
        -DWITH_JPEG8=OFF $libjpeg_cmake_options >>"$deps/libjpeg-$triple.log" 2>&1 &&
        cmake --build "$work/build" -j"$jobs" >>"$deps/libjpeg-$triple.log" 2>&1 &&
        cmake --install "$work/build" >>"$deps/libjpeg-$triple.log" 2>&1 ||
        fail "libjpeg-turbo cross-build failed (see $deps/libjpeg-$triple.log)"
    printf '%s\n' "$stamp" >"$prefix/build-flags"
    rm -rf "$work"
}

# zlib for the Windows builds (the installer inflates compressed Flash
# movies; the tests' PNG writer deflates): Debian's zlib source package,
# cross-built once per MinGW target like libjpeg, without the gz* file
# functions. Built for size and without gzip support: the installer reads
# zlib streams only, and without it inflate needs none of zlib's CRC-32 tables.
# Its fixed Huffman tables are built on first use rather than stored (2 KB;
# zlib's BUILDFIXED, which is not for programs that inflate on two threads at
# once: ours inflate on one).
zlib_sources="adler32 compress crc32 deflate inffast inflate inftrees trees uncompr zutil"
zlib_c_flags="-Os -DNDEBUG -DNO_GZIP -DBUILDFIXED -D__USE_MINGW_ANSI_STDIO=0 -ffunction-sections -fno-asynchronous-unwind-tables"
setup_mingw_zlib() {
    local triple=$1 prefix=$deps/$1 flags
    flags=$(with_arch_flags "$triple" "$zlib_c_flags")
    [ -f "$prefix/lib/libz.a" ] && [ "$(cat "$prefix/zlib-build-flags" 2>/dev/null)" = "$zlib_sources: $flags" ] &&
        return 0
    local src
    src=$(unpacked_debian_source zlib)
    step "cross-building zlib for $triple"
    local work=$deps/work-zlib-$triple file
    rm -rf "$work"
    mkdir -p "$work" "$prefix/lib" "$prefix/include"
    for file in $zlib_sources; do
        # shellcheck disable=SC2086
        "$triple-gcc-win32" $flags -c "$src/$file.c" -o "$work/$file.o" \
            >>"$deps/zlib-$triple.log" 2>&1 ||
            fail "zlib cross-build failed (see $deps/zlib-$triple.log)"
    done
    rm -f "$prefix/lib/libz.a"
    "$triple-ar" rcs "$prefix/lib/libz.a" "$work"/*.o
    cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
    printf '%s\n' "$zlib_sources: $flags" >"$prefix/zlib-build-flags"
    rm -rf "$work"
}
