# Sourced (POSIX sh) by the scripts that start Windows programs under Wine.
#
# Debian's `wine` wrapper always picks Wine's 32-bit loader when wine32 is
# installed, even on a machine whose kernel refuses 32-bit programs. So
# 64-bit programs are started with the 64-bit loader directly, and whether
# 32-bit programs can run at all is found out by starting the 32-bit loader.

WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64

# wine_loader ARCH: the command that starts programs of ARCH (win32 or win64).
wine_loader() {
  case $1 in
    win64)
      if [ -x "$WINE64_LOADER" ]; then echo "$WINE64_LOADER"; else command -v wine64 || command -v wine; fi ;;
    *)
      command -v wine ;;
  esac
}

# wine_use ARCH: exports what Wine needs to start programs of ARCH, and sets
# WINE to the loader; Wine starts further processes with WINELOADER.
wine_use() {
  WINE=$(wine_loader "$1")
  if [ "$1" = win64 ]; then
    WINELOADER=$WINE
    export WINELOADER
  fi
}

# wine_runs_32bit: true when Wine's 32-bit loader starts on this machine.
# QUORVANE_NO_32BIT=1 answers no, to see what a machine that runs 64-bit
# programs only does.
wine_runs_32bit() {
  [ -z "${QUORVANE_NO_32BIT:-}" ] || return 1
  # Another test run's emulation, registered for the whole machine while that
  # run lasts, is not this machine running 32-bit programs.
  [ ! -e /proc/sys/fs/binfmt_misc/quorvane-i386 ] || return 1
  [ -x "$WINE32_LOADER" ] && "$WINE32_LOADER" --version >/dev/null 2>&1
}
