#!/usr/bin/env bash
# install_test.sh tree|deb BUILD-DIR VERSION (exits 77, skipped, when a tool it needs is missing)
#   tree: installs BUILD-DIR into a temporary prefix and runs the installed programs as the desktop entry would
#   deb:  builds the Debian package and checks its control data and files.
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
quiet() { [ ! -s "$work/$1" ] || { fail "$what: unexpected output"; show; }; }

check_tree() {
  need desktop-file-validate man identify
  local prefix=$work/prefix
  run "$CMAKE" --install "$build" --prefix "$prefix"; expect 0
  local entry=$prefix/share/applications/zibo.desktop
  run desktop-file-validate "$entry"; expect 0; quiet out
  local show path pid
  show=$(sed -n 's/^Exec=//p' "$entry") path=$(sed -n 's/^Path=//p' "$entry")
  [ "$show" = "$prefix/bin/zibo" ] || fail "Exec=$show is not the installed show"
  [ "$path" = "$prefix/share/zibo" ] || fail "Path=$path is not the installed media folder"
  [ "$(identify -format %wx%h "$prefix/share/icons/hicolor/256x256/apps/zibo.png")" = 256x256 ] || fail "no icon"

  cd "$path" || exit 1
  # Offscreen, answering No, it finds its media and plays until SIGTERM.
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$show" <<<n >"$work/out" 2>"$work/err" &
  pid=$!
  sleep 3 && kill -TERM "$pid" && wait "$pid"
  status=$? what="offscreen show in $path stopped by SIGTERM"
  expect 0; quiet err

  run "$prefix/bin/zibo-capture" --media "$path" --at 60000 --out "$work/installed.png"; expect 0
  run "$build/zibo-capture" --media "$build/media" --at 60000 --out "$work/built.png"; expect 0
  cmp -s "$work/installed.png" "$work/built.png" || fail "the installed capture draws another frame"

  local tool in_help in_man
  for tool in zibo-capture zibo-media zibo-preview; do
    run "$prefix/bin/$tool" --version; expect 0 "^$tool $version\$"
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
  run "$CPACK" --config "$build/CPackConfig.cmake" -G DEB -B "$work"; expect 0
  local package=$work/zibo_${version}_$(dpkg --print-architecture).deb lib file
  run dpkg-deb --info "$package"; expect 0 "^ Version: $version\$"
  # The dependencies come from the binaries' libraries.
  for lib in libsdl2 libsndfile1 libpng16 libkissfft libopengl0 libc6 libegl1 libgl1; do
    grep -qE "^ Depends:.* $lib" "$work/out" || { fail "Depends lacks $lib"; show; }
  done
  run dpkg-deb --contents "$package"; expect 0
  for file in bin/zibo bin/zibo-capture bin/zibo-media share/applications/zibo.desktop \
      share/icons/hicolor/256x256/apps/zibo.png share/doc/zibo/copyright share/doc/zibo/changelog.gz \
      share/man/man1/zibo.1.gz share/man/man1/zibo-capture.1.gz share/man/man1/zibo-media.1.gz; do
    grep -q " \./usr/$file\$" "$work/out" || fail "the package lacks /usr/$file"
  done
  [ "$(grep -c ' \./usr/share/zibo/.' "$work/out")" = 11 ] || { fail "not the eleven media files"; show; }
  dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/share/applications/zibo.desktop |
    grep -qx 'Path=/usr/share/zibo' || fail "the package's desktop entry has not Path=/usr/share/zibo"
  if command -v lintian >/dev/null; then
    run lintian --tag-display-limit 0 "$package"
    grep -E '^[EW]:' "$work/out" && { fail "lintian has errors or warnings"; show; }
  fi
}

"check_$mode"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
