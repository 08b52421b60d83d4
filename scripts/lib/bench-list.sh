# Sourced (bash) by scripts/bench inside a wine session: the start-up list
# that the start-up benchmarks measure with, as users have one. Twelve Run
# entries (eight of the user's, four of the machine's): six programs signed
# by a publisher whose root the prefix trusts, four unsigned ones with a
# version resource, and two whose file is gone. And 250 services, as a
# Windows machine has them: 84 start automatically, most in a shared host
# with a DLL of their own (the same programs).
bench_service_count=250

# bench_list_make BUILD_DIR: signs the fixtures (once), copies the programs
# into the prefix, trusts the test root and writes the entries.
bench_list_make() {
  local build=$1 fixtures="$1/bin/signed-fixtures"
  if [ ! -f "$fixtures/trusted.exe" ]; then
    bash "$root/tests/startup/details/make-signed-fixtures.sh" "$build/bin/versioned_tool.exe" "$fixtures"
  fi
  local folder="$WINEPREFIX/drive_c/quorvane-bench"
  mkdir -p "$folder"
  local i
  for i in 1 2 3 4 5 6; do cp "$fixtures/trusted.exe" "$folder/signed-$i.exe"; done
  for i in 1 2 3 4; do cp "$build/bin/versioned_tool.exe" "$folder/unsigned-$i.exe"; done
  rm -f "$folder/gone-1.exe" "$folder/gone-2.exe"
  cp "$fixtures/trusted-root.cer" "$folder/trusted-root.cer"
  wine_session_tool "$build/bin/trust_test_root.exe" 'C:\quorvane-bench\trusted-root.cer' >/dev/null
  bench_list_reg '"C:\\\\quorvane-bench\\\\%s.exe"' >"$folder/list.reg"
  wine_session_tool regedit /s 'C:\quorvane-bench\list.reg'
  wine_session_tool "$build/bin/bench_services.exe" --make "$bench_service_count" 'C:\quorvane-bench'
}

# bench_list_remove BUILD_DIR: takes the entries and the trust away again, so
# that the prefix's server does not start the programs the next time it starts.
bench_list_remove() {
  local build=$1 folder="$WINEPREFIX/drive_c/quorvane-bench"
  [ -d "$folder" ] || return 0
  bench_list_reg '-' >"$folder/unlist.reg"
  wine_session_tool regedit /s 'C:\quorvane-bench\unlist.reg' || true
  wine_session_tool "$build/bin/bench_services.exe" --remove "$bench_service_count" || true
  wine_session_tool "$build/bin/trust_test_root.exe" --remove 'C:\quorvane-bench\trusted-root.cer' >/dev/null || true
}

# bench_list_reg DATA: the entries as a .reg file; DATA is a printf format of
# each value's data given the program's file name ("-" deletes the value).
bench_list_reg() {
  local data=$1 run='Software\Microsoft\Windows\CurrentVersion\Run'
  local -a user=(signed-1 signed-2 signed-3 signed-4 unsigned-1 unsigned-2 unsigned-3 gone-1)
  local -a machine=(signed-5 signed-6 unsigned-4 gone-2)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\%s]\r\n' "$run"
  local name
  for name in "${user[@]}"; do
    printf '"Bench %s"=%s\r\n' "$name" "$(printf "$data" "$name")"
  done
  printf '\r\n[HKEY_LOCAL_MACHINE\\%s]\r\n' "$run"
  for name in "${machine[@]}"; do
    printf '"Bench %s"=%s\r\n' "$name" "$(printf "$data" "$name")"
  done
}
