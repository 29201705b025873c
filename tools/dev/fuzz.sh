# ./dev fuzz [S]: the fuzz targets under libFuzzer (preset fuzz), S seconds each.

# Each target runs from its checked-in seeds, growing a corpus under build/fuzz/corpus/<name>
# that later runs reuse; a finding lands in build/fuzz/artifacts/<name>/. Every target runs
# whatever another found, and the run fails at the end if any did.
cmd_fuzz() {
    local seconds=${1:-60}
    cmd_setup
    # Preset fuzz: clang, libFuzzer, the address and undefined-behaviour sanitizers.
    configure_and_build fuzz
    local failed="" seeds name
    for seeds in "$root"/fuzz/seeds/*/; do
        name=$(basename "$seeds")
        local corpus="$build/fuzz/corpus/$name" artifacts="$build/fuzz/artifacts/$name"
        mkdir -p "$corpus" "$artifacts"
        step "fuzz $name for ${seconds}s"
        if "$build/fuzz/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len=65536 \
            -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seeds" \
            >"$build/fuzz/$name.log" 2>&1; then
            step "fuzz $name: passed ($(grep -o 'stat::number_of_executed_units: *[0-9]*' \
                "$build/fuzz/$name.log" | grep -o '[0-9]*$') runs)"
        else
            tail -n 20 "$build/fuzz/$name.log" >&2
            step "fuzz $name: FAILED (see $build/fuzz/$name.log and $artifacts)"
            failed="$failed $name"
        fi
    done
    [ -z "$failed" ] || fail "fuzz targets that failed:$failed"
}
