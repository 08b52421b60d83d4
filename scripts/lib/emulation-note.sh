# Sourced (bash) by the scripts that run 32-bit programs under emulation.

# emulation_note WHO MESSAGE: MESSAGE on standard error, and on a line of its
# own in the file QUORVANE_EMULATION_NOTES names (if any), from which the test
# command's closing lines say what the emulated run did.
emulation_note() {
  echo "$1: $2" >&2
  if [ -n "${QUORVANE_EMULATION_NOTES:-}" ]; then
    echo "$2" >>"$QUORVANE_EMULATION_NOTES"
  fi
}
