#!/usr/bin/env bash
# The end-to-end demo: the real wizard installs a sample package into a simulated host under Wine.
# Called by ./demo (which sets up and builds first); see the README.
#   walkthrough/run.sh BUILD_ROOT [--headless]
#
# Headless, it walks through twice on fresh hosts. First the deliverables users get: the i686
# pakorra.exe and vintora.dll with a simulated host built the same way, run in Wine's WoW64 mode;
# every outcome is checked. Wine 8 draws no window of a 32-bit program in that mode (its GDI
# cannot make device contexts there), so the pictures come from the second walk, the same run
# with the x86_64 twins, which is checked just as strictly. A third walk with the twins takes the
# same pictures at 144 DPI, the 150 % of many laptop screens.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
root=$(cd "${1:?build root}" && pwd)
mode=${2:-auto}
out=$root/demo
wine_dir=$out/wine

fail() { echo "DEMO FAILED: $*" >&2; exit 1; }
for b in win32 win64; do
  [ -x "$root/$b/bin/pakorra.exe" ] || fail "no $root/$b/bin/pakorra.exe: build first (./demo does)"
done

headless=1
if [ "$mode" != --headless ] && [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then headless=0; fi

# A private prefix for the demo, on Xvfb when headless, on the user's display otherwise.
"$src/tools/wine/env" stop "$wine_dir" >/dev/null 2>&1 || true
[ $headless = 1 ] || export PAKORRA_DISPLAY=$DISPLAY
"$src/tools/wine/env" start "$wine_dir" "$root/win64/bin/desktop_shell_ready.exe"
trap '"$src/tools/wine/env" stop "$wine_dir" >/dev/null 2>&1 || true' EXIT
run() { "$src/tools/wine/run" "$wine_dir" "$@"; }
# The system DPI of programs started from now on (Wine's LogPixels, read at a program's start).
set_dpi() { run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null; }
# 96 unless the 144-DPI walk says otherwise, also after a demo that stopped during that walk.
set_dpi 96
drive_c=$wine_dir/prefix/drive_c

# One walk through the wizard of one build (win32 or win64) on a fresh simulated host, then what
# happened, read from the host's files. A picture folder of "-" takes no pictures.
walk() { # build, picture folder[, name of the walk's driver log]
bin=$root/$1/bin
pictures=$2
log=$out/driver-${3:-$1}.log
# The wizard's own log, outside the package folder (which the seal covers whole).
wizard_log=$drive_c/users/Public/pakorra-demo.log
wizard_log_win='C:\users\Public\pakorra-demo.log'
rm -f "$wizard_log"
# The simulated host, as its setup leaves it.
host_win='C:\Program Files\Lumidex 2.0'
host=$drive_c/Program\ Files/Lumidex\ 2.0
data=$host/plugin/localquery/dictdata
rm -rf "$host"
mkdir -p "$data" "$host/plugin/image"
cp "$bin/simhost/LXDBCoreplus.dll" "$bin/simhost/zrdsvc.exe" "$bin/simhost/ZRDRepair.exe" "$host/"
cp "$bin/simhost/Lumidex.exe" "$host/Lumidex.exe"
printf '[hostapp]\r\ntray=1\r\ntray_delay_ms=1500\r\nlifetime_ms=120000\r\n' > "$host/hostapp.ini"
# The host's setup is a 32-bit program: its key lives in the 32-bit view, where the 32-bit wizard
# reads it. The x86_64 twin reads the 64-bit view, so it gets the same key there.
for view in 32 64; do
  run reg add 'HKLM\SOFTWARE\Tolvaro\Dictionary 2.0' /v Location /t REG_SZ /d "$host_win" /f /reg:$view >/dev/null
  run reg add 'HKLM\SOFTWARE\Tolvaro\Dictionary 2.0' /v ExcutableName /t REG_SZ /d Lumidex.exe /f /reg:$view >/dev/null
done

# Installed dictionaries: one older (held open by the running service), one older and read-only,
# one newer than the package's, one the package does not touch.
printf 'name=成语故事集\n<date_time>2026.03.01</date_time>\n旧版\n' > "$data/chengyu.dic"
printf 'name=唐诗宋词选\n<date_time>2026.11.20</date_time>\n旧版\n' > "$data/Shici.DIP"
chmod a-w "$data/Shici.DIP"

printf 'name=天文术语表\n<date_time>2026.12.01</date_time>\n新版，比安装包里的更新\n' > "$data/tianwen.dic"
printf 'name=自带词典\n<date_time>2025.01.01</date_time>\n' > "$data/builtin.dic"
cp "$data/tianwen.dic" "$out/tianwen.before"
printf '[builtin]\r\nid=builtin\r\nenable=1\r\n' > "$host/plugin/localquery/localquerydictcfg.ini"

# The package as a publisher ships it: containers made with dirpack, the description file and
# one picture per dictionary, beside the wizard.
wizard_win='C:\users\Public\Downloads\词典包'
wizard=$drive_c/users/Public/Downloads/词典包
rm -rf "$wizard"; mkdir -p "$wizard/dict_image"
cp "$bin/pakorra.exe" "$bin/vintora.dll" "$wizard/"
"$root/native/bin/dirpack" create "$wizard/core.dir" -m "$src/walkthrough/sample/core.manifest" >/dev/null
"$root/native/bin/dirpack" create "$wizard/extra.dir" -m "$src/walkthrough/sample/extra.manifest" >/dev/null
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$src/walkthrough/sample/dictconfig.ini"; } > "$wizard/dictconfig.ini"
for image in hanying:steelblue chengyu:darkorange shici:seagreen tianwen:slateblue; do  # id:colour
  convert -size 64x64 "xc:${image#*:}" -fill white -draw 'rectangle 14,12 50,52' "BMP3:$wizard/dict_image/${image%:*}.bmp"
done
# Sealed as the publisher seals it: package.sha256 lists every file with its SHA-256.
"$root/native/bin/dirpack" seal "$wizard" >/dev/null || fail "dirpack seal refuses the package"
# The publisher's check finds the package as shipped to users clean; the twins are not what they get.
if [ "$1" = win32 ]; then
  check=$("$root/native/bin/dirpack" check "$wizard") || fail "dirpack check finds fault with the package: $check"
fi

# The host's service runs and holds the installed chengyu.dic open.
run "$host_win\\zrdsvc.exe" --hold "$host_win\\plugin\\localquery\\dictdata\\chengyu.dic" --lifetime 300000 \
  </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do grep -q ready "$host/zrdsvc.log" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$host/zrdsvc.log" 2>/dev/null || fail "the simulated service did not start"

echo "== Pakorra demo, $([ "$1" = win32 ] && echo "the i686 deliverables" || echo "the x86_64 twins"): $(ls "$wizard"/*.dir | wc -l) containers beside the wizard in $wizard_win"
if [ $headless = 1 ]; then
  echo "== no display of yours: the demo clicks through the wizard on Xvfb"
  set +e
  # The driver is a tool of the demo, not a deliverable: the x86_64 one drives either wizard.
  run "$root/win64/bin/wizard_driver.exe" "$wizard_win\\pakorra.exe" "$pictures" "$wizard_log_win" | tr -d '\r' | tee "$log"
  driver=${PIPESTATUS[0]}
  set -e
  [ "$driver" = 0 ] || fail "the wizard run did not complete as a user expects (see above)"
else
  echo "== the wizard is on your display: click 下一步, then 完成 with the box ticked"
  set +e; run "$wizard_win\\pakorra.exe" "/LOG=$wizard_log_win"; echo "wizard ended with exit code $?"; set -e
fi

# What happened, read from the wizard's log and the host's files.
sleep 1
echo "== seal"
sealed=$(tr -d '\r' < "$wizard_log" | grep -o 'sealed package: [0-9]* files listed, [0-9]* read, each as sealed' || true)
if [ -n "$sealed" ]; then
  read -r listed read_files <<<"$(echo "$sealed" | grep -o '[0-9]\+' | tr '\n' ' ')"
  echo "  package.sha256 covers $listed files; the wizard read $read_files of them, and each matched its digest"
  echo "  (what it does not read, the wizard itself and the images of dictionaries it leaves alone, is only seen to be there)"
else
  echo "  the wizard did not report the seal as matched"; problems_seal=1
fi
echo "== dictionaries"
verdict() { # id, installed file name, package file, installed before
  local installed=$data/$2
  if ! [ -f "$installed" ]; then echo "  $1: MISSING"; return 1; fi
  if cmp -s "$installed" "$src/walkthrough/sample/dicts/$3"; then
    if [ "$4" = yes ]; then echo "  $1: upgraded to the package's version"; else echo "  $1: installed"; fi
  elif [ "$1" = tianwen ] && cmp -s "$installed" "$out/tianwen.before"; then
    echo "  $1: left as it was (the installed copy is newer)"
  else
    echo "  $1: UNEXPECTED CONTENT"; return 1
  fi
}
problems=${problems_seal:-0}
verdict hanying hanying.dic hanying.dic no || problems=1
verdict chengyu chengyu.dic chengyu.dic yes || problems=1
verdict shici Shici.DIP shici.dip yes || problems=1
verdict tianwen tianwen.dic tianwen.dic yes || problems=1
if ls "$data" | grep -q '_zev_av_'; then echo "  backup files left behind"; problems=1; fi
[ -f "$host/plugin/image/tianwen.bmp" ] && { echo "  a picture was copied for a dictionary left alone"; problems=1; }
for id in hanying chengyu shici; do  # tianwen was left alone, and so was its picture
  cmp -s "$host/plugin/image/$id.bmp" "$wizard/dict_image/$id.bmp" || { echo "  image of $id not copied"; problems=1; }
done

echo "== host configuration (plugin\\localquery\\localquerydictcfg.ini)"
cfg=$host/plugin/localquery/localquerydictcfg.ini
if head -c2 "$cfg" | grep -q $'\xff\xfe'; then text=$(iconv -f UTF-16LE -t UTF-8 "$cfg"); else text=$(iconv -f GB18030 -t UTF-8 "$cfg"); fi
printf '%s\n' "$text" | tr -d '\r' | awk '/^\[/{ if (s) print s; s="  " $0; next } /=/{ split($0, kv, "="); s = s " " kv[1] "=" kv[2] } END { if (s) print s }'
for id in hanying chengyu shici tianwen; do
  printf '%s\n' "$text" | tr -d '\r' | awk -v id="$id" '$0=="["id"]"{f=1;next} /^\[/{f=0} f&&$0=="enable=1"{ok=1} END{exit !ok}' \
    || { echo "  $id is not enabled"; problems=1; }
done

echo "== host processes"
grep -q 'stopping on request' "$host/zrdsvc.log" && echo "  service stopped by the repair tool" \
  || { echo "  service was NOT stopped on request"; problems=1; }
grep -q 'run -S' "$host/ZRDRepair.log" 2>/dev/null && echo "  repair tool ran with -S" || { echo "  repair tool did not run"; problems=1; }
grep -q 'started' "$host/hostapp.log" 2>/dev/null && echo "  host started" || { echo "  host NOT started"; problems=1; }
grep -q 'dict manager shown' "$host/hostapp.log" 2>/dev/null && echo "  dictionary manager shown: $(grep -m1 'dict manager shown' "$host/hostapp.log" | cut -d' ' -f2- | tr -d '\r')" \
  || { echo "  dictionary manager NOT shown"; problems=1; }

[ $problems = 0 ] || fail "some steps did not happen (see above)"
}

rm -rf "$out/pictures"; mkdir -p "$out/pictures"
if [ $headless = 1 ]; then
  walk win32 -
  echo
  # A fresh Wine session: nothing of the first walk (its host program, its tray) runs on.
  "$src/tools/wine/env" stop "$wine_dir" >/dev/null 2>&1
  "$src/tools/wine/env" start "$wine_dir"
  walk win64 "Z:${out//\//\\}\\pictures"
  echo
  "$src/tools/wine/env" stop "$wine_dir" >/dev/null 2>&1
  "$src/tools/wine/env" start "$wine_dir"
  echo "== once more at 144 DPI (150 %), for its pictures"
  set_dpi 144
  mkdir -p "$out/pictures/144dpi"
  walk win64 "Z:${out//\//\\}\\pictures\\144dpi" win64-144dpi
  set_dpi 96
  for png in "$out"/pictures/144dpi/*.png; do mv "$png" "$out/pictures/144dpi-${png##*/}"; done
  rmdir "$out/pictures/144dpi"
else
  # On a display of yours the wizard must be seen to be clicked: the twin, which Wine draws.
  walk win64 -
fi
echo "== pictures of each page: $(ls "$out"/pictures/*.png 2>/dev/null | tr '\n' ' ')"
echo "== demo complete"
