# What comes from the npm registry, and the fonts a Windows test borrows.

# An independent implode implementation from the npm registry, for the
# interoperability tests.
node_pkware_version=5.1.0
setup_node_pkware() {
    local dir=$build/node
    [ -f "$dir/node_modules/node-pkware/package.json" ] &&
        grep -q "\"version\": \"$node_pkware_version\"" "$dir/node_modules/node-pkware/package.json" &&
        return 0
    step "npm install node-pkware@$node_pkware_version"
    mkdir -p "$dir"
    npm install --prefix "$dir" --no-audit --no-fund "node-pkware@$node_pkware_version" \
        >"$dir/npm.log" 2>&1 || fail "npm install node-pkware failed (see $dir/npm.log)"
}

# The demo's desktop step plays the installed wallpaper page with Ruffle (a Flash player in
# WebAssembly) in Debian's headless Chromium, driven by playwright-core: both npm packages
# pinned, under build/browser. Chromium comes without its recommended packages, so that
# fonts-liberation stays off the host; where it cannot be installed the step is skipped and
# says so, and the rest of the project does not need it.
ruffle_version=0.6.0
playwright_core_version=1.65.2
# npm_version DIR PACKAGE: the version of PACKAGE installed under DIR/node_modules, or nothing.
npm_version() {
    node -p "require(process.argv[1]).version" "$1/node_modules/$2/package.json" 2>/dev/null || true
}
setup_browser() {
    if [ -n "$(missing_packages chromium)" ] && ! apt_try_install chromium; then
        printf 'dev: warning: chromium could not be installed (see %s); the demo will skip the wallpaper on the desktop\n' \
            "$build/apt.log" >&2
    fi
    local dir=$build/browser
    [ "$(npm_version "$dir" @ruffle-rs/ruffle)" = "$ruffle_version" ] &&
        [ "$(npm_version "$dir" playwright-core)" = "$playwright_core_version" ] && return 0
    step "npm install @ruffle-rs/ruffle@$ruffle_version playwright-core@$playwright_core_version"
    mkdir -p "$dir"
    npm install --prefix "$dir" --no-audit --no-fund --save-exact \
        "@ruffle-rs/ruffle@$ruffle_version" "playwright-core@$playwright_core_version" \
        >"$dir/npm.log" 2>&1 ||
        printf 'dev: warning: npm install of Ruffle and playwright-core failed (see %s); the demo will skip the wallpaper on the desktop\n' \
            "$dir/npm.log" >&2
}

# Debian's Liberation fonts, unpacked under build/deps and not installed: a Windows test runs
# once more with them in fontconfig's view, as on a host with fonts-liberation (which Chromium
# recommends), to show that the test prefix's fonts do not depend on the host's.
setup_liberation_fonts() {
    local dir=$deps/fonts-liberation
    [ -f "$dir/.complete" ] && return 0
    apt_update
    step "apt-get download fonts-liberation (unpacked under build/deps, not installed)"
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && apt-get download -q fonts-liberation >"$dir/apt-download.log" 2>&1) ||
        fail "apt-get download fonts-liberation failed (see $dir/apt-download.log)"
    dpkg-deb -x "$dir"/fonts-liberation_*.deb "$dir" ||
        fail "unpacking fonts-liberation failed"
    rm -f "$dir"/fonts-liberation_*.deb
    touch "$dir/.complete"
}
