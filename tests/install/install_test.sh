#!/usr/bin/env bash
# install_test.sh tree|deb BUILD-DIR VERSION (exits 77, skipped, when a tool it needs is missing)
#   tree: installs BUILD-DIR into a temporary prefix and runs the installed programs from other folders
#   deb:  builds the Debian package, checks its control data and files, and runs it unpacked.
set -uo pipefail
mode=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { for t; do command -v "$t" >/dev/null || { echo "skipped: no $t" >&2; exit 77; }; done; }
# run CMD...: runs CMD, keeping status, stdout and stderr.
run() { what="$*"; "$@" </dev/null >"$work/out" 2>"$work/err"; status=$?; }
show() { echo "--- $what: exit status $status; stdout:" >&2; cat "$work/out" >&2; echo "--- stderr:" >&2; cat "$work/err" >&2; }
# expect STATUS [STDOUT-PATTERN]
expect() {
  if [ "$status" -ne "$1" ] || { [ -n "${2:-}" ] && ! grep -qE -- "$2" "$work/out"; }; then
    fail "$what: wanted status $1${2:+ and /$2/ on stdout}"; show
  fi
}
quiet() { ! grep -qv '^CRITICAL: ' "$work/$1" || { fail "$what: unexpected output"; show; }; }
# plays CMD...: runs CMD offscreen, answering n, with its sound going to a file; once the
# music is heard (or CMD ended, or a minute passed) stops it with SIGTERM.
plays() {
  local audio=$work/audio pid tries=0
  rm -f "$audio"; what="$* playing offscreen in $PWD"
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio "$@" <<<n >"$work/out" 2>"$work/err" & pid=$!
  while [ "$(tr -d '\0' 2>/dev/null <"$audio" | head -c1 | wc -c)" = 0 ] && kill -0 "$pid" 2>/dev/null &&
    [ $((tries += 1)) -lt 600 ]; do sleep 0.1; done
  [ "$(tr -d '\0' 2>/dev/null <"$audio" | head -c1 | wc -c)" = 1 ] || fail "$what: no music"
  kill -TERM "$pid"; wait "$pid"; status=$?
}
# same_frame CAPTURE MS: CAPTURE --at MS, run here, draws what the build draws from its media.
same_frame() {
  run "$1" --at "$2" --out "$work/installed.png"; expect 0; quiet err
  run "$build/zibo-capture" --media "$build/media" --at "$2" --out "$work/built.png"; expect 0
  cmp -s "$work/installed.png" "$work/built.png" || fail "$1 in $PWD draws another frame at $2 ms"
}

check_tree() {
  need desktop-file-validate man identify appstreamcli
  local prefix=$work/prefix
  run "$CMAKE" --install "$build" --prefix "$prefix"; expect 0
  local entry=$prefix/share/applications/zibo.desktop info=$prefix/share/metainfo/org.example.zibo.metainfo.xml
  run desktop-file-validate "$entry"; expect 0; quiet out
  [ "$(sed -n 's/^Exec=//p' "$entry")" = "$prefix/bin/zibo" ] || fail "Exec= is not the installed show"
  ! grep -q '^Path=' "$entry" || fail "the desktop entry still needs a working folder"
  [ "$(identify -format %wx%h "$prefix/share/icons/hicolor/256x256/apps/zibo.png")" = 256x256 ] || fail "no icon"
  run appstreamcli validate --no-net "$info"; expect 0
  # The software centre's name, release and programs are the desktop entry's, the build's and the installed ones.
  [ "$(sed -n 's|^  <name>\(.*\)</name>|\1|p' "$info")" = "$(sed -n 's/^Name=//p' "$entry")" ] || fail "names differ"
  [ "$(grep -om1 '<release version="[^"]*"' "$info")" = "<release version=\"$version\"" ] || fail "newest release is not $version"
  [ "$(sed -n 's|.*<binary>\(.*\)</binary>|\1|p' "$info" | xargs)" = "$(ls "$prefix/bin" | xargs)" ] || fail "binaries differ"

  # From an empty folder, with the XDG data folders elsewhere, the programs find their installed media.
  mkdir -p "$work/empty" "$work/elsewhere/zibo" && cd "$work/empty" || exit 1
  export HOME=$work/empty XDG_DATA_DIRS=$work/elsewhere
  unset XDG_DATA_HOME
  plays "$prefix/bin/zibo"; expect 0; quiet err
  same_frame "$prefix/bin/zibo-capture" 60000
  plays "$prefix/bin/zibo-preview" --at 60000; expect 0; quiet err
  # Ten files here (s1.tga another slide, s.ogg a folder), all eleven in $XDG_DATA_HOME: all come from there.
  mkdir "$work/partial" "$work/xdg" && cd "$work/partial" || exit 1
  ln -s "$build"/media/* "$work/xdg/" && ln -s "$build"/media/* . && rm s.ogg && mkdir s.ogg && ln -sf "$build/media/s2.tga" s1.tga
  XDG_DATA_HOME=$work/xdg same_frame "$prefix/bin/zibo-capture" 26000
  # A show that finds its files nowhere says where it looked, then fails as it always has.
  cd "$work/empty" && mkdir "$work/lone" && cp "$prefix/bin/zibo" "$work/lone/" || exit 1
  what="a lone copy of zibo in $PWD"; SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy XDG_DATA_HOME=/nowhere \
    "$work/lone/zibo" <<<n >"$work/out" 2>"$work/err"; status=$?; expect 1
  grep -qx "vel Error!: Unable to load song.: 2" "$work/err" &&
    grep -qF "looked in $work/empty (the current folder), /nowhere/zibo, $work/elsewhere/zibo, $work/share/zibo" "$work/err" ||
    { fail "$what: not the lookup's note and the song's failure"; show; }

  local tool in_help in_man
  for tool in zibo zibo-capture zibo-media zibo-preview; do
    run "$prefix/bin/$tool" --version; expect 0 "^$tool $version\$"
    grep -q "^License: MIT" "$work/out" || fail "$tool --version names no licence"
    run "$prefix/bin/$tool" --help; expect 0 '^usage:'
    # The manual page and --help name the same options.
    in_help=$(grep -oE -- '--[a-z]+' "$work/out" | sort -u | xargs)
    in_man=$(zcat "$prefix/share/man/man1/$tool.1.gz" | grep -oE -- '\\-\\-[a-z]+' | tr -d '\\' | sort -u | xargs)
    [ "$in_help" = "$in_man" ] || fail "$tool: --help names [$in_help], its manual page [$in_man]"
  done
  for tool in "$prefix"/bin/*; do
    run man --warnings -l "$prefix/share/man/man1/${tool##*/}.1.gz"; expect 0 "^NAME"; quiet err
  done
}

check_deb() {
  need dpkg-deb dpkg-shlibdeps
  unset DEBEMAIL DEBFULLNAME  # the default maintainer, as on CI
  run "$CPACK" --config "$build/CPackConfig.cmake" -G DEB -B "$work"; expect 0
  local package=$work/zibo_${version}_$(dpkg --print-architecture).deb lib file
  run dpkg-deb --info "$package"; expect 0 "^ Version: $version\$"
  # The dependencies come from the binaries' libraries.
  for lib in libsdl2 libsndfile1 libpng16 libkissfft libopengl0 libc6 libegl1 libgl1; do
    grep -qE "^ Depends:.* $lib" "$work/out" || { fail "Depends lacks $lib"; show; }
  done
  run dpkg-deb --contents "$package"; expect 0
  for file in bin/zibo bin/zibo-capture bin/zibo-media share/applications/zibo.desktop \
      share/metainfo/org.example.zibo.metainfo.xml \
      share/icons/hicolor/256x256/apps/zibo.png share/doc/zibo/copyright share/doc/zibo/changelog.gz \
      share/man/man1/zibo.1.gz share/man/man1/zibo-capture.1.gz share/man/man1/zibo-media.1.gz; do
    grep -q " \./usr/$file\$" "$work/out" || fail "the package lacks /usr/$file"
  done
  [ "$(grep -c ' \./usr/share/zibo/.' "$work/out")" = 11 ] || { fail "not the eleven media files"; show; }
  # Unpacked anywhere, its programs find its media from an empty folder.
  run dpkg-deb -x "$package" "$work/root"; expect 0
  grep -qx 'Exec=/usr/bin/zibo' "$work/root/usr/share/applications/zibo.desktop" || fail "Exec= is not /usr/bin/zibo"
  grep -qx 'License: Expat' "$work/root/usr/share/doc/zibo/copyright" || fail "the copyright names no licence"
  mkdir "$work/empty" && cd "$work/empty" || exit 1
  XDG_DATA_DIRS=$work/empty same_frame "$work/root/usr/bin/zibo-capture" 60000
  # The maintainer is the builder's by DEBFULLNAME and DEBEMAIL, else the project's.
  printf 'include("%s")\nmessage("${CPACK_DEBIAN_PACKAGE_MAINTAINER}")\n' \
    "$(dirname "$0")/../../packaging/maintainer.cmake" >"$work/maintainer.cmake"
  while IFS='|' read -r name mail want; do
    [ "$(DEBFULLNAME=$name DEBEMAIL=$mail "$CMAKE" -P "$work/maintainer.cmake" 2>&1)" = "$want" ] ||
      fail "DEBFULLNAME='$name' DEBEMAIL='$mail' does not make the maintainer '$want'"
  done <<'EOF2'
Ann Builder|ann@example.net|Ann Builder <ann@example.net>
|Ann Builder <ann@example.net>|Ann Builder <ann@example.net>
|ann@example.net|
EOF2
  if command -v lintian >/dev/null; then
    run lintian --tag-display-limit 0 "$package"
    grep -E '^[EW]:' "$work/out" && { fail "lintian has errors or warnings"; show; }
  fi
}

"check_$mode"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
