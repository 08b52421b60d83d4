# Sourced (bash) by scripts/bench inside a wine session: the start-up list
# that the start-up benchmarks measure with, as users have one. Twelve Run
# entries (eight of the user's, four of the machine's): six programs signed
# by a publisher whose root the prefix trusts, four unsigned ones with a
# version resource, and two whose file is gone. And 250 services, as a
# Windows machine has them: 84 start automatically, most in a shared host
# with a DLL of their own (the same programs); 100 scheduled tasks, one in
# five started at log-on or at boot, the others daily; and what Windows
# measured of five log-ons. And entries in the other places Windows starts
# code from: debuggers of programs, a monitor of their exit, libraries
# Windows and Explorer load (by their classes, the user's shadowing the
# machine's), an Office add-in. (No command processor's AutoRun: every cmd
# the scripts start would run it.)
bench_service_count=250
bench_task_count=100

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
  bench_places_reg >"$folder/places.reg"
  wine_session_tool regedit /s 'C:\quorvane-bench\places.reg'
  wine_session_tool "$build/bin/bench_services.exe" --make "$bench_service_count" 'C:\quorvane-bench'
  bench_tasks_make
  bench_measurements_make
  # The file whose check startup_time takes as the floor under the details.
  export QUORVANE_BENCH_SIGNED_FILE='C:\quorvane-bench\signed-1.exe'
}

# bench_tasks_make: the task files, in the Task Scheduler's folder, as Wine
# reads them (its Task Scheduler cannot list tasks).
bench_tasks_make() {
  local tasks="$WINEPREFIX/drive_c/windows/system32/Tasks/QuorvaneBench" i trigger
  mkdir -p "$tasks"
  for ((i = 0; i < bench_task_count; i++)); do
    case $((i % 10)) in
      0) trigger='<LogonTrigger/>' ;;
      5) trigger='<BootTrigger/>' ;;
      *) trigger='<CalendarTrigger><StartBoundary>2026-01-01T03:00:00</StartBoundary><ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>' ;;
    esac
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">\n  <RegistrationInfo><Author>Quorvane Bench</Author></RegistrationInfo>\n  <Triggers>%s</Triggers>\n  <Settings><Enabled>true</Enabled></Settings>\n  <Actions Context="Author"><Exec><Command>C:\\quorvane-bench\\signed-%d.exe</Command><Arguments>/task %d</Arguments></Exec></Actions>\n</Task>\n' \
      "$trigger" $((i % 6 + 1)) "$i" >"$tasks/Task $i"
  done
}

# Where Windows keeps what it measured of the last log-ons, and the files of
# Wine's one user (its SID is the same in every prefix).
bench_measurements=windows/system32/WDI/LogFiles/StartupInfo
bench_user_sid=S-1-5-21-0-0-0-1000

# bench_measurements_make: five log-ons' measurements of 300 processes each,
# as Windows writes them (UTF-16): the bench list's programs among Windows'
# own and others that no entry starts.
bench_measurements_make() {
  local folder="$WINEPREFIX/drive_c/$bench_measurements" logon i name command
  mkdir -p "$folder"
  for logon in 1 2 3 4 5; do
    {
      printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<StartupData>\r\n'
      for ((i = 0; i < 300; i++)); do
        if ((i < 6)); then
          name="C:\\quorvane-bench\\signed-$((i + 1)).exe" command="\"$name\""
        elif ((i < 10)); then
          name="C:\\quorvane-bench\\unsigned-$((i - 5)).exe" command="\"$name\""
        else
          name="C:\\Windows\\System32\\process-$i.exe" command="$name -k group$((i % 7))"
        fi
        printf '  <Process Name="%s" PID="%d" StartTime="2026-12-0%dT08:00:%02dZ">\r\n' "$name" $((1000 + i)) "$logon" $((i % 60))
        printf '    <CommandLine>%s</CommandLine>\r\n' "$command"
        printf '    <DiskUsage Units="bytes">%d</DiskUsage>\r\n' $(((i * 7919 + logon * 104729) % 5000000))
        printf '    <CpuUsage Units="us">%d</CpuUsage>\r\n' $(((i * 15485 + logon * 32452) % 2000000))
        printf '    <ParentPID>%d</ParentPID>\r\n  </Process>\r\n' $((900 + i % 5))
      done
      printf '</StartupData>\r\n'
    } | iconv -f UTF-8 -t UTF-16 >"$folder/${bench_user_sid}_StartupInfo$logon.xml"
  done
}

# bench_list_remove BUILD_DIR: takes the entries and the trust away again, so
# that the prefix's server does not start the programs the next time it starts.
bench_list_remove() {
  local build=$1 folder="$WINEPREFIX/drive_c/quorvane-bench"
  [ -d "$folder" ] || return 0
  bench_list_reg '-' >"$folder/unlist.reg"
  wine_session_tool regedit /s 'C:\quorvane-bench\unlist.reg' || true
  bench_places_reg - >"$folder/unplaces.reg"
  wine_session_tool regedit /s 'C:\quorvane-bench\unplaces.reg' || true
  wine_session_tool "$build/bin/bench_services.exe" --remove "$bench_service_count" || true
  rm -rf "$WINEPREFIX/drive_c/windows/system32/Tasks/QuorvaneBench"
  rm -f "$WINEPREFIX/drive_c/$bench_measurements/${bench_user_sid}"_StartupInfo*.xml
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

# bench_places_reg [-]: the entries of the other places as a .reg file, each
# in a key of its own; with "-", the file that deletes those keys.
bench_places_reg() {
  local remove=${1:-} nt='Software\Microsoft\Windows NT\CurrentVersion' cv='Software\Microsoft\Windows\CurrentVersion'
  local bench='C:\\quorvane-bench\\'
  local menu='{5A9F0C1E-0B1D-4C2A-9E55-000000000001}' bho='{5A9F0C1E-0B1D-4C2A-9E55-000000000002}'
  local addin='{5A9F0C1E-0B1D-4C2A-9E55-000000000003}' shadowed='{5A9F0C1E-0B1D-4C2A-9E55-000000000004}'
  printf 'REGEDIT4\r\n'
  # key PATH [VALUE ...]: the key with its values, or its deletion.
  key() {
    if [ -n "$remove" ]; then
      printf '\r\n[-%s]\r\n' "$1"
    else
      printf '\r\n[%s]\r\n' "$1"
      shift
      local value
      for value in "$@"; do printf '%s\r\n' "$value"; done
    fi
  }
  local program
  for program in sethc utilman osk; do
    key "HKEY_LOCAL_MACHINE\\$nt\\Image File Execution Options\\bench-$program.exe" "\"Debugger\"=\"${bench}signed-1.exe\""
  done
  key "HKEY_LOCAL_MACHINE\\$nt\\Image File Execution Options\\bench-notepad.exe" '"GlobalFlag"=dword:00000200'
  key "HKEY_LOCAL_MACHINE\\$nt\\SilentProcessExit\\bench-notepad.exe" "\"MonitorProcess\"=\"${bench}signed-2.exe\""
  key "HKEY_LOCAL_MACHINE\\$nt\\Winlogon\\Notify\\BenchNotify" "\"DllName\"=\"${bench}bench-notify.dll\""
  key "HKEY_CURRENT_USER\\Software\\Classes\\*\\shellex\\ContextMenuHandlers\\BenchMenu" "@=\"$menu\""
  key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$menu" '@="Bench menu"'
  key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$menu\\InprocServer32" "@=\"${bench}bench-menu.dll\""
  key "HKEY_LOCAL_MACHINE\\$cv\\Explorer\\Browser Helper Objects\\$bho"
  key "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$bho\\InprocServer32" "@=\"${bench}bench-bho.dll\""
  key 'HKEY_CURRENT_USER\Software\Microsoft\Office\Word\Addins\Bench.Addin' '"LoadBehavior"=dword:00000003' '"FriendlyName"="Bench Add-In"'
  key 'HKEY_CURRENT_USER\Software\Classes\Bench.Addin\CLSID' "@=\"$addin\""
  key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$addin\\InprocServer32" "@=\"${bench}bench-addin.dll\""
  key "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$shadowed\\InprocServer32" "@=\"${bench}bench-machine.dll\""
  key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$shadowed\\InprocServer32" "@=\"${bench}bench-user.dll\""
  # The keys that only hold the ones above.
  if [ -n "$remove" ]; then
    key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$menu"
    key "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$bho"
    key 'HKEY_CURRENT_USER\Software\Classes\Bench.Addin'
    key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$addin"
    key "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$shadowed"
    key "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$shadowed"
  fi
}
