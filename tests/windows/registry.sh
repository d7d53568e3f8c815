#!/bin/bash
# Wine 8.0's registry files dumped alike by both backends. Usage: registry.sh BUILD DUMPER DATA
build=${1:?usage: registry.sh build-windows registry_dump data} dumper=${2:?} data=${3:?}
source "$(dirname "$0")/prefix.sh" "$build/test_windows_backend.exe" # its server has ended
xz -dc "$data/system.reg.xz" >"$WINEPREFIX/system.reg" && cp "$data"/{user,userdef}.reg "$WINEPREFIX/" || exit 1
# Escapes and types Wine's own files rarely hold; ANSI text (the key's name beyond it).
cat >>"$WINEPREFIX/user.reg" <<'REG'

[Software\\Velkor Odd\\Caf\xe9 \x263a] 1
@="d\xe9j\xe0 vu"
"caf\xe9"="\xe9t\xe9 \"q\" \\ \t\a\e \101\0tail"
"multi"=str(7):"a\0\xfc\0\0"
"expand"=str(2):"%TEMP%\\\xdf"
"qword"=hex(b):01,02,03,04,05,06,07,08
"none"=hex(0):
"typed"=hex(1):41,00,42,00
"dword"=dword:fffffffe
REG
# In the 32-bit view (HKCR\.chm only in the 64-bit one): what Velkor reads, and large subtrees.
keys=('HKLM\Software\Bullfrog Productions Ltd' 'HKLM\Software\Microsoft\Windows\HTML Help' 'HKCR\.chm'
      'HKLM\SOFTWARE\Classes\TypeLib\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}' 'HKCU\Software' 'HKCU\Control Panel'
      'HKCR\CLSID\{4662DAB0-D393-11D0-9A56-00C04FB68B66}' 'HKCR\CLSID\{0A89A860-D7B1-11CE-8350-444553540000}'
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion' 'HKLM\System\CurrentControlSet' 'HKCU\Environment'
      'HKU\.Default\Software'
      # Volatile, made by Wine at start-up and never written to the files: this machine's interfaces, its devices'
      # "#" and Control keys, and Video's copy in the hardware profile.
      '-HKLM\Software\Microsoft\Windows NT\CurrentVersion\NetworkCards' '-HKLM\System\CurrentControlSet\Control\Video'
      '-HKLM\System\CurrentControlSet\Control\ComputerName\ActiveComputerName' '-HKCU\Software\Wine\Fonts\Cache'
      '-HKLM\System\CurrentControlSet\Control\DeviceClasses' '-HKLM\System\CurrentControlSet\Control\ServiceCurrent'
      '-HKLM\System\CurrentControlSet\Hardware Profiles\Current\System' '-HKCU\Software\Wine\Temporary System Parameters'
      # Wine's 32-bit view lists this shared key but will not open it (its 64-bit view does).
      '-HKLM\Software\Microsoft\Windows NT\CurrentVersion\Perflib\009')
export VELKOR_REGISTRY_DUMP="Z:$work/windows.txt" VELKOR_REGISTRY_KEYS=$(IFS=';'; echo "${keys[*]}")
out=$(qtest "$build/test_windows_backend.exe" registryDumped) || { echo "$out"; exit 1; }
wineserver -w && "$dumper" "$WINEPREFIX" "$work/linux.txt" "${keys[@]}" || exit 1
# Wine read the files given: the game's folder is the one they hold, not make_prefix.sh's.
path=$(printf 'C:\\Games\\Populous' | od -An -tx1 | tr -d ' \n')00
grep -qF "Populous: The Beginning	InstallPath	1	$path" "$work/windows.txt" ||
    { echo "FAIL: Wine did not load the registry files given"; exit 1; }
diff "$work/windows.txt" "$work/linux.txt" >"$work/diff" &&
    { echo "PASS: $(wc -l <"$work/windows.txt") lines the same"; exit 0; }
echo "FAIL: the backends differ (< Windows, > Linux):" && head -40 "$work/diff"; exit 1
