# ./dev format [--check]: the C and C++ sources as .clang-format says.

# The sources as git knows them, but those a generator writes ("do not edit" on the first line)
# and GCC's configuration headers for the i486 runtime (GCC's text, whose order is meaning).
formatted_sources() {
    local file
    git -C "$root" ls-files '*.c' '*.cpp' '*.h' ':!tools/setup/runtime' | while read -r file; do
        head -n 1 "$root/$file" | grep -q 'do not edit' || echo "$file"
    done
}

cmd_format() {
    local mode=(-i)
    case "${1:-}" in
    "") ;;
    --check) mode=(--dry-run -Werror) ;;
    *) fail "usage: ./dev format [--check]" ;;
    esac
    command -v clang-format >/dev/null || apt_install clang-format
    local files
    mapfile -t files < <(formatted_sources)
    (cd "$root" && clang-format "${mode[@]}" "${files[@]}") ||
        fail "sources differ from .clang-format (clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -n 1)): run ./dev format"
    step "${#files[@]} sources formatted as .clang-format says"
}
