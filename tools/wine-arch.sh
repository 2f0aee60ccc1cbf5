# Which Windows programs this machine's Wine can run, and how to start them. Sourced (POSIX sh) by
# tools/wine-run.sh, tests/e2e/run-e2e.sh and tools/run-tests.sh. Architectures are named as
# WINEARCH names them: win32 or win64.
# shellcheck shell=sh disable=SC2034

# tarnwick_runs_i386: whether this machine runs 32-bit x86 programs, which 32-bit Wine is. Some
# virtual machines' kernels refuse them ("Exec format error"). The 32-bit dynamic loader that every
# such program (and wine32:i386) needs is the smallest one to try. On failure
# TARNWICK_I386_REASON says why.
tarnwick_runs_i386() {
    TARNWICK_I386_REASON=
    if [ ! -e /lib/ld-linux.so.2 ]; then
        TARNWICK_I386_REASON="no 32-bit x86 C library (/lib/ld-linux.so.2, Debian's libc6:i386)"
        return 1
    fi
    if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        TARNWICK_I386_REASON="this machine does not run 32-bit x86 programs (/lib/ld-linux.so.2 does not start)"
        return 1
    fi
    return 0
}

# tarnwick_refuses_i386: this machine is known not to run 32-bit x86 programs: their loader is
# installed and does not start. Where it is merely missing, installing 32-bit Wine brings it.
tarnwick_refuses_i386() {
    ! tarnwick_runs_i386 && [ -e /lib/ld-linux.so.2 ]
}

# tarnwick_runs_wine32: whether 32-bit Wine starts here: 32-bit programs run and, where Wine is
# split by architecture as on Debian (/usr/lib/wine/wine64), its 32-bit loader is installed too
# (wine32:i386, which a mirror without a sound i386 index cannot provide). On failure
# TARNWICK_I386_REASON says why.
tarnwick_runs_wine32() {
    tarnwick_runs_i386 || return 1
    if [ -x /usr/lib/wine/wine64 ] && [ ! -x /usr/lib/wine/wine ]; then
        TARNWICK_I386_REASON="32-bit Wine is not installed (/usr/lib/wine/wine, Debian's wine32:i386)"
        return 1
    fi
    return 0
}

# tarnwick_windows_preset: the CMake preset whose tests run here: win32, the shipped build, when
# 32-bit Wine runs, else win64, the same programs built for 64-bit Wine.
tarnwick_windows_preset() {
    if tarnwick_runs_wine32; then
        echo win32
    else
        echo win64
    fi
}

# tarnwick_pe_arch FILE: win32 or win64 from the machine field of a Windows program's PE header;
# fails for anything else.
tarnwick_pe_arch() {
    # e_lfanew, the offset of the "PE\0\0" signature, is a little-endian 32-bit value at 60. The
    # bytes od prints are split into the positional parameters.
    # shellcheck disable=SC2046
    set -- "$1" $(od -An -tu1 -j60 -N4 "$1" 2>/dev/null)
    [ $# -eq 5 ] || return 1
    pe_offset=$(($2 + $3 * 256 + $4 * 65536 + $5 * 16777216))
    # shellcheck disable=SC2046
    set -- "$1" $(od -An -tx1 -j"$pe_offset" -N6 "$1" 2>/dev/null)
    [ $# -eq 7 ] && [ "$2$3$4$5" = 50450000 ] || return 1
    case $7$6 in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
    esac
}

# tarnwick_wine_loader ARCH: the command that starts a program of ARCH. Debian's "wine" starts the
# 32-bit loader whenever wine32 is installed, so on a machine that cannot run it a 64-bit program
# must go to the 64-bit loader itself. Wine builds without a separate wine64 run both with "wine".
tarnwick_wine_loader() {
    if [ "$1" = win64 ]; then
        if command -v wine64 >/dev/null 2>&1; then
            command -v wine64
            return 0
        fi
        if [ -x /usr/lib/wine/wine64 ]; then
            echo /usr/lib/wine/wine64
            return 0
        fi
    fi
    echo wine
}
