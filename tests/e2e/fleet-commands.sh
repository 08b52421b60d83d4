#!/bin/bash
# The README's commands for many machines, run under Wine as far as Wine
# allows: the scheduled task's command line as the task would run it (Wine's
# schtasks refuses /sc, so the task itself cannot be made), and the
# detection script for each of its exit codes. Wine has no PowerShell.
# Usage: fleet-commands.sh README PROGRAM EMULATOR...
set -u
readme=$1
program=$2
shift 2
emulator=("$@")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The fenced block after the README's line <!-- tried: NAME -->, with the
# program's name as this build has it.
block() {
  awk -v marker="<!-- tried: $1 -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$readme" | sed "s/Quorvane64\.exe/$(basename "$program")/g"
}
# A Windows path of the test prefix as a Linux path.
unix_path() { printf '%s\n' "$WINEPREFIX/drive_c/$(printf '%s' "${1#[Cc]:\\}" | tr '\\' '/')"; }
# Runs a batch file of the lines given on standard input, as a service runs a script.
run_script() {
  local script=$WINEPREFIX/drive_c/fleet-test.cmd
  sed 's/$/\r/' > "$script"
  "${emulator[@]}" cmd /c 'C:\fleet-test.cmd' > "$WINEPREFIX/drive_c/fleet-test.out" 2>/dev/null
  local code=$?
  rm -f "$script"
  return $code
}

# Installed where the scheduled task names it and where %ProgramFiles% of
# this build's cmd points (Program Files (x86) for a 32-bit cmd on 64-bit Windows).
program_files=$("${emulator[@]}" cmd /c echo %ProgramFiles% 2>/dev/null | tr -d '\r')
installed=("$(unix_path "$program_files")/Quorvane" "$(unix_path 'C:\Program Files')/Quorvane")
data=$(unix_path 'C:\ProgramData')/Quorvane
rm -rf "$data"
for folder in "${installed[@]}"; do
  mkdir -p "$folder"
  cp "$program" "$folder/"
done
trap 'rm -rf "${installed[@]}" "$data" "$WINEPREFIX/drive_c/fleet-test.out"' EXIT

# The scheduled task: the folder made, then what the task would run, as
# schtasks stores its /tr (the quotes inside unescaped, %COMPUTERNAME%
# expanded by the cmd it is typed into).
task=$(block schtasks)
[ -n "$task" ] || fail "no scheduled task block in the README"
printf '%s\n' "$task" | grep -v '^schtasks ' | run_script || fail "the folder for the daily lists could not be made"
task_line=$(printf '%s\n' "$task" | sed -n 's/^schtasks .* \/tr "\(.*\)"$/\1/p' | sed 's/\\"/"/g')
[ -n "$task_line" ] || fail "no /tr command in the README's schtasks line"
printf '@echo off\n%s\nexit /b %%ERRORLEVEL%%\n' "$task_line" | run_script
code=$?
[ $code -eq 0 ] || fail "the scheduled task's command ended with $code"
saved=$(ls "$data"/*.csv 2>/dev/null | head -1)
if [ -z "$saved" ] || ! head -c 200 "$saved" | grep -q 'Program,Location,.*,Time,SHA-256'; then
  fail "the scheduled task's command saved no list in C:\\ProgramData\\Quorvane"
else
  echo "scheduled task's command: exit 0, saved $(basename "$saved")"
fi
if printf '%s\n' "$task" | grep '^schtasks ' | run_script; then
  echo "schtasks /create: made the task"
else
  echo "schtasks /create: not made, Wine's schtasks refuses /sc (skipped)"
fi

# The detection script: 2 without a baseline, 0 against a baseline of
# today, 1 once an entry is added.
detect=$(block detect.cmd)
[ -n "$detect" ] || fail "no detect.cmd block in the README"
expect_detect() {
  printf '%s\n' "$detect" | run_script
  local code=$?
  [ $code -eq "$1" ] || fail "detect.cmd $2: exit code $code, not $1 ($(tr -d '\r' < "$WINEPREFIX/drive_c/fleet-test.out"))"
  [ $code -eq "$1" ] && echo "detect.cmd $2: exit code $code"
}
expect_detect 2 "without a baseline"
printf '@echo off\n"%s\\Quorvane\\%s" /save "%%ProgramData%%\\Quorvane\\baseline.csv"\n' "$program_files" \
  "$(basename "$program")" | run_script || fail "the baseline could not be saved"
expect_detect 0 "against today's baseline"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
"${emulator[@]}" reg add "$run_key" /v QuorvaneFleetTest /d 'C:\fleet-test\new.exe' /f > /dev/null 2>&1
expect_detect 1 "after an entry was added"
grep -q 'QuorvaneFleetTest.*,new' "$data/compared.csv" 2>/dev/null || fail "compared.csv does not mark the added entry new"
"${emulator[@]}" reg delete "$run_key" /v QuorvaneFleetTest /f > /dev/null 2>&1
exit $failed
