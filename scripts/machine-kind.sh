# Sourced by the install step and the test command: tells whether this
# machine's kernel runs 32-bit programs itself, or whether they (the -m32
# host tests and Wine's loader) must run under user-mode emulation.
# VR_FORCE_EMULATION=1 takes the emulated path on any machine.

# A 93-byte i386 ELF that exits 0. Byte 15 of its identification is 1: the
# emulator's binfmt_misc entry (which requires zero padding there) does not
# claim it, so only the kernel's own 32-bit loader can run it.
vr_kernel_runs_i386() {
    local f rc=0
    f=$(mktemp)
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\001' > "$f"
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >> "$f"
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >> "$f"
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >> "$f"
    printf '\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000' >> "$f"
    printf '\270\001\000\000\000\061\333\315\200' >> "$f"      # exit(0)
    chmod +x "$f"
    "$f" 2>/dev/null || rc=$?
    rm -f "$f"
    return $rc
}

# Sets vr_emulated (1 or 0) and vr_path_reason (one line).
vr_detect_machine_kind() {
    if [ "${VR_FORCE_EMULATION:-0}" = 1 ]; then
        vr_emulated=1
        vr_path_reason="32-bit programs run under qemu-i386 emulation (forced by VR_FORCE_EMULATION=1)"
    elif vr_kernel_runs_i386; then
        vr_emulated=0
        vr_path_reason="32-bit programs run natively"
    else
        vr_emulated=1
        vr_path_reason="this kernel cannot run 32-bit programs: they run under qemu-i386 emulation"
    fi
}

# The same program with zero padding: starts through binfmt_misc too.
vr_run_i386_through_binfmt() {
    local f rc=0
    f=$(mktemp)
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' > "$f"
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >> "$f"
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >> "$f"
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >> "$f"
    printf '\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000' >> "$f"
    printf '\270\001\000\000\000\061\333\315\200' >> "$f"
    chmod +x "$f"
    "$f" 2>/dev/null || rc=$?
    rm -f "$f"
    return $rc
}
