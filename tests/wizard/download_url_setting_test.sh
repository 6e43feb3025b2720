#!/usr/bin/env bash
# The download page build setting, configured for real: the default and an awkward but valid
# address reach the program's header exactly; anything that is not an http or https address is
# refused at configure time, before anything is built.
#   download_url_setting_test.sh SOURCE SCRATCH
set -uo pipefail
src=${1:?source folder}; scratch=${2:?scratch folder}
rm -rf "$scratch"
header=$scratch/generated/wizard/download_page.h
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

configure() { # extra cmake arguments...; output in $scratch.log
  cmake -S "$src" -B "$scratch" -DPAKORRA_TESTS=OFF "$@" >"$scratch.log" 2>&1
}

# The setting stays in the cache, as a publisher's would: clear it to see the default.
configure -UPAKORRA_DOWNLOAD_URL || fail "the default does not configure: $(cat "$scratch.log")"
grep -qxF '#define PAKORRA_DOWNLOAD_PAGE L"https://www.lumidex.example/download/"' "$header" ||
  fail "the default page is not today's address"

good='https://publisher.example:8443/lumidex/download?from=pakorra&lang=zh-CN#top'
configure "-DPAKORRA_DOWNLOAD_URL=$good" || fail "refused $good: $(cat "$scratch.log")"
grep -qxF "#define PAKORRA_DOWNLOAD_PAGE L\"$good\"" "$header" || fail "$good not written as given"

bad=(
  ''
  'www.lumidex.example/download/'
  'ftp://www.lumidex.example/download/'
  'file:///C:/Windows/notepad.exe'
  'javascript:alert(1)'
  'http://'
  'http:///download/'
  'http://www.lumidex.example/down load/'
  'http://www.lumidex.example/"download'
  'http://www.lumidex.example/download\'
  'http://www.lumidex.example/下载/'
  $'http://www.lumidex.example/\tdownload/'
)
for url in "${bad[@]}"; do
  if configure "-DPAKORRA_DOWNLOAD_URL=$url"; then
    fail "accepted \"$url\""
  elif ! grep -q 'CMake Error at cmake/download_page.cmake' "$scratch.log"; then
    fail "\"$url\" failed for another reason: $(cat "$scratch.log")"
  fi
done

[ "$failures" = 0 ] && echo "download page setting: default, one awkward address and ${#bad[@]} refusals as expected"
exit "$((failures > 0))"
