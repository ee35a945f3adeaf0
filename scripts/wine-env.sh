# Sourced by run.sh and test.sh: a throw-away Wine prefix under the build folder,
# a persistent wineserver for this run, and an Xvfb display when none is set.
# Expects $build to be set.

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_cmd=$(command -v wine64 || command -v wine)

ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local fd_file; fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

stop_display() {
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# No window manager runs on the displays used here: without one, Wine waits
# two seconds for every destroyed window to be withdrawn unless its windows
# are unmanaged.
ensure_unmanaged_windows() {
  if [ -f "$WINEPREFIX/.corvanel-unmanaged" ]; then return; fi
  local reg=$WINEPREFIX/x11.reg
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' > "$reg"
  "$wine_cmd" regedit /S "$reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.corvanel-unmanaged"
}

# The registry's REG_MULTI_SZ form of the arguments, as a .reg file writes it.
multi_sz_hex() {
  { printf '%s\0' "$@"; printf '\0'; } | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}

# The interface font has no emoji, Arabic or Hebrew glyphs: Wine's font
# linking (as Windows' own does) draws those from the installed Debian fonts,
# so that any text a user types shows as letters, not boxes. Wine looks links
# up by the family a face resolves to (the skins' face is WenQuanYi), and its
# Uniscribe shapes joining and right-to-left scripts in Microsoft Sans Serif;
# the system's other faces keep Wine's own links, which give them CJK.
# Symbola claims CJK code points with empty glyphs, so it comes last and
# never in a list that CJK needs. Characters beyond the first plane (emoji)
# are found by no link, and Wine's rich edit follows no link at all: the
# window framework draws such text in Windows' emoji and interface faces,
# which the replacements name.
ensure_font_links() {
  if [ -f "$WINEPREFIX/.corvanel-fontlinks-2" ]; then return; fi
  local reg=$WINEPREFIX/fontlinks.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    printf '"WenQuanYi Micro Hei"=hex(7):%s\r\n' "$(multi_sz_hex "DejaVuSans.ttf,DejaVu Sans" "Symbola_hint.ttf,Symbola")"
    printf '"Microsoft Sans Serif"=hex(7):%s\r\n' "$(multi_sz_hex "DejaVuSans.ttf,DejaVu Sans" "SIMSUN.TTC,SimSun")"
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Segoe UI Emoji"="Symbola"\r\n"Segoe UI"="DejaVu Sans"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  "$wine_cmd" regedit /S "$reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.corvanel-fontlinks-2"
}

ensure_prefix() {
  if [ -f "$WINEPREFIX/.corvanel-ready" ]; then ensure_unmanaged_windows; ensure_font_links; return; fi
  echo "wine: creating a throw-away prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
  "$wine_cmd" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # Documents and friends would otherwise be links into the real home folder:
  # make them plain folders of the prefix so that nothing here touches it.
  local users=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}
  [ -d "$users" ] || users=$(ls -d "$WINEPREFIX"/drive_c/users/*/ 2>/dev/null | grep -v Public | head -n1)
  for d in Documents Desktop Downloads Music Pictures Videos Templates; do
    if [ -L "$users/$d" ]; then rm -f "$users/$d"; fi
    mkdir -p "$users/$d"
  done
  # Skins name the face "微软雅黑"; render it with the installed CJK font.
  local reg=$WINEPREFIX/fonts.reg
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"微软雅黑"="WenQuanYi Micro Hei"\r\n"Microsoft YaHei"="WenQuanYi Micro Hei"\r\n"SimSun"="WenQuanYi Micro Hei"\r\n"宋体"="WenQuanYi Micro Hei"\r\n' | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  "$wine_cmd" regedit /S "$reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.corvanel-ready"
  ensure_unmanaged_windows
  ensure_font_links
}

start_wineserver() {
  wineserver -p >/dev/null 2>&1 || true
  # Wine's own services start with the first program and outlive it while the
  # server persists. Start them now, away from the caller's pipes: started by a
  # test they would hold ctest's output pipe open and ctest would wait forever.
  "$wine_cmd" wineboot >/dev/null 2>&1 </dev/null || true
}

stop_wineserver() {
  wineserver -k >/dev/null 2>&1 || true
}
