# Sourced (bash) by the scripts that build and run Quorvane or its tests
# under Wine on Linux.

. "$(dirname "${BASH_SOURCE[0]}")/wine-loader.sh"

# The two builds, as CMake presets, and the Wine architecture of each.
QUORVANE_BUILDS=(mingw32 mingw64)
declare -A QUORVANE_BUILD_ARCH=([mingw32]=win32 [mingw64]=win64)
declare -A QUORVANE_BUILD_PROGRAM=([mingw32]=Quorvane.exe [mingw64]=Quorvane64.exe)

# runnable_builds: the builds this machine can run, one a line: both where
# Wine's 32-bit loader starts, the 64-bit one alone elsewhere.
runnable_builds() {
  if wine_runs_32bit; then
    echo mingw32
  fi
  echo mingw64
}

# preferred_build: the 32-bit build where the machine runs it, else the 64-bit one.
preferred_build() {
  runnable_builds | head -n 1
}

# say_if_32bit_skipped SCRIPT: one plain line, where 32-bit programs cannot run.
say_if_32bit_skipped() {
  if ! wine_runs_32bit; then
    echo "$1: this machine cannot run 32-bit programs (Wine's 32-bit loader does not start);" \
         "the 64-bit build runs alone" >&2
  fi
}

# wine_session_start BUILD_DIR ARCH [TOOLS_ARCH]: makes (once) the build
# directory's own Wine prefix (or WINE_SESSION_PREFIX where that names another), starts a private Xvfb display and a persistent
# wineserver, and arranges for both to end when the calling shell exits.
# Afterwards WINE is the loader that runs the build's programs. The prefix and
# the session's own helpers (reg, cmd, the desktop keeper) are started with
# the loader of TOOLS_ARCH where it is given: win64 where 32-bit programs are
# emulated, since Wine's 64-bit side still runs natively there.
wine_session_start() {
  local build=$1
  wine_use "$2"
  WINE_SESSION_TOOLS=
  if [ -n "${3:-}" ]; then
    WINE_SESSION_TOOLS=$(wine_loader "$3")
  fi
  export WINEPREFIX="${WINE_SESSION_PREFIX:-$build/wineprefix}"
  export WINEDEBUG=-all
  # No Mono or Gecko installers: nothing here needs them, and they cost time.
  export WINEDLLOVERRIDES="mscoree,mshtml="

  wine_session_display

  if [ ! -f "$WINEPREFIX/.quorvane-prefix-v2" ]; then
    echo "wine-session: creating prefix $WINEPREFIX (once per build directory)" >&2
    rm -rf "$WINEPREFIX"
    wine_session_tool wineboot -i >/dev/null 2>&1
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine-session: Wine could not make the prefix $WINEPREFIX" >&2
      return 1
    fi
    touch "$WINEPREFIX/.quorvane-prefix-v2"
  fi
  wine_session_virtual_desktop || return 1
  wine_session_fonts

  # A persistent server makes each further Wine process start in milliseconds.
  wineserver -p 2>/dev/null || true  # already running is fine
  trap wine_session_stop EXIT
  # Start the prefix's services now, with no pipes of ours: services started
  # by a test would inherit its output pipes and CTest would wait on them.
  wine_session_tool cmd /c exit </dev/null >/dev/null 2>&1
  # Keep the desktop open for the whole session: Wine closes an unused
  # desktop and starts it again for the next program, and a program started
  # just then can stall.
  local keeper=${WINE_SESSION_KEEPER:-$build/bin/desktop_keeper.exe}
  if [ -f "$keeper" ]; then
    wine_session_tool "$keeper" </dev/null >/dev/null 2>&1 &
  fi
}

# wine_session_tool COMMAND...: runs one of the session's own helpers.
wine_session_tool() {
  if [ -n "$WINE_SESSION_TOOLS" ]; then
    WINELOADER=$WINE_SESSION_TOOLS "$WINE_SESSION_TOOLS" "$@"
  else
    "$WINE" "$@"
  fi
}

# Every program runs in a virtual desktop that Wine draws and manages itself:
# on a bare X server with no window manager, Wine would otherwise wait two
# seconds for each closed window to be withdrawn, and tests that close windows
# would fail their time limits. Checked at every start, in the saved registry,
# since a setting written just after the prefix was made was once seen lost.
wine_session_virtual_desktop() {
  local attempt
  for attempt in 1 2 3; do
    if grep -q '^"Desktop"="Default"' "$WINEPREFIX/user.reg" 2>/dev/null &&
       grep -q '^"Default"="1280x1024"' "$WINEPREFIX/user.reg" 2>/dev/null; then
      return 0
    fi
    wine_session_tool reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine_session_tool reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    # The server writes the registry to the prefix when it ends.
    wineserver -w
  done
  echo "wine-session: could not set the virtual desktop in $WINEPREFIX" >&2
  return 1
}

# Wine's own fonts (Debian's fonts-wine: Tahoma, the Marlett symbols of the
# caption buttons, ...) in the prefix's Fonts folder, where this Wine looks
# for them; without them the caption buttons draw as "0 1 r".
wine_session_fonts() {
  local fonts=/usr/share/wine/fonts target="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$fonts" ] || return 0
  mkdir -p "$target"
  local font
  for font in "$fonts"/*.ttf; do
    [ -e "$target/${font##*/}" ] || cp "$font" "$target/"
  done
}

# Starts a private Xvfb on a display number that the server itself picks
# (-displayfd), so that sessions started at the same time never share one.
wine_session_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  WINE_SESSION_XVFB=$!
  local i
  for i in $(seq 1 200); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return 0
    fi
    sleep 0.05
  done
  rm -f "$number_file"
  echo "wine-session: Xvfb did not start" >&2
  return 1
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_SESSION_XVFB:-}" ]; then
    kill "$WINE_SESSION_XVFB" >/dev/null 2>&1 || true
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
  fi
}
