#!/usr/bin/env bash
# check_install.sh GROUP: the installed tree, as the desktop, man and bash use
# it. "setup" installs the build into $VEL_INSTALL_ROOT (as the package lays it
# out, under /usr); the other groups check what is there. Exit 77 (skipped)
# when a tool a group needs is missing: scripts/setup installs them all.
set -euo pipefail

group=${1:?check_install.sh GROUP}
root=${VEL_INSTALL_ROOT:?}
usr=$root/usr
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Snapshots velcard keeps of the scratch images stay in the scratch folder.
export VEL_BACKUP_DIR=$scratch/backups

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
need() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" > /dev/null; then
      echo "skipped: $tool is not installed (scripts/setup installs it)"
      exit 77
    fi
  done
}
# The value of KEY in the [Desktop Entry] group of a desktop file.
desktop_value() {
  sed -n "/^\[Desktop Entry\]/,/^\[/s/^$2=//p" "$1"
}

check_setup() {
  rm -rf "$root"
  DESTDIR=$root "$VEL_CMAKE" --install "$VEL_BUILD_DIR" --prefix /usr > /dev/null
}

# Both programs tell their version, and vel-reader its help, with no display:
# the manual pages are made from them at build time on machines without one.
check_programs() {
  local program
  local -a programs=(velcard)
  [ "$VEL_WITH_GUI" = 1 ] && programs+=(vel-reader)
  for program in "${programs[@]}"; do
    local out
    if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$program" --version); then
      fail "$program --version failed"
    elif [ "$out" != "$program $VEL_VERSION" ]; then
      fail "$program --version says '$out', not '$program $VEL_VERSION'"
    fi
  done
  if [ "$VEL_WITH_GUI" = 1 ]; then
    local help
    if ! help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/vel-reader" --help); then
      fail "vel-reader --help failed without a display"
    fi
    grep -q '^Usage: vel-reader \[IMAGE\]' <<< "$help" || fail "vel-reader --help has no usage line"
  fi
}

# The menu entry, the file type and the AppStream data: each valid, and each
# naming what the others install, so that a double-clicked image opens in
# vel-reader with its icon.
check_desktop() {
  if [ "$VEL_WITH_GUI" != 1 ]; then
    echo "skipped: built without the desktop program"
    exit 77
  fi
  need desktop-file-validate appstreamcli update-mime-database xmllint

  local desktop=$usr/share/applications/vel-reader.desktop
  [ -f "$desktop" ] || { fail "no $desktop"; return; }
  local report
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
  # Hints pass (two main categories are wanted); warnings and errors do not.
  if grep -E ': (warning|error):' <<< "$report"; then fail "desktop-file-validate complains"; fi

  local exec program
  exec=$(desktop_value "$desktop" Exec)
  program=${exec%% *}
  [ -x "$usr/bin/$program" ] || fail "Exec names $program, not an installed program"
  grep -qE ' %[fFuU]( |$)' <<< "$exec" || fail "Exec '$exec' does not pass the opened file"

  local icon=$usr/share/icons/hicolor/scalable/apps/$(desktop_value "$desktop" Icon).svg
  if [ ! -f "$icon" ]; then
    fail "Icon names no installed icon: $icon"
  elif [ "$(xmllint --xpath 'local-name(/*)' "$icon" 2>&1)" != svg ]; then
    fail "$icon is no SVG document"
  fi

  local -a metainfo=("$usr"/share/metainfo/*.metainfo.xml)
  if [ ${#metainfo[@]} -ne 1 ] || [ ! -f "${metainfo[0]}" ]; then
    fail "not one metainfo file: ${metainfo[*]}"
  else
    report=$(appstreamcli validate --no-net "${metainfo[0]}" 2>&1) ||
      fail "appstreamcli validate: $report"
    local launchable
    launchable=$(xmllint --xpath 'string(//launchable[@type="desktop-id"])' "${metainfo[0]}")
    [ "$launchable" = "$(basename "$desktop")" ] || fail "metainfo launches '$launchable'"
  fi

  # The file type, as the system's trigger builds it and Qt reads it.
  local type
  type=$(desktop_value "$desktop" MimeType)
  type=${type%;}
  update-mime-database "$usr/share/mime" > /dev/null 2>&1 ||
    fail "update-mime-database refuses $usr/share/mime/packages"
  if [ -n "${VEL_MIME_LOOKUP:-}" ]; then
    local name seen
    for name in SAMPLE.VEL card.vel; do
      seen=$(XDG_DATA_HOME=$scratch XDG_DATA_DIRS=$usr/share "$VEL_MIME_LOOKUP" "$name")
      [ "$seen" = "$type" ] || fail "$name is taken for '$seen', not for $type"
    done
  fi
}

# The manual pages: found by name, whatis-parsable, rendered without a
# warning from groff, and made from the installed version.
check_man() {
  if [ "$VEL_WITH_MANPAGES" != 1 ]; then
    echo "skipped: help2man was not found at configure time"
    exit 77
  fi
  need man lexgrog
  local program page
  local -a programs=(velcard)
  [ "$VEL_WITH_GUI" = 1 ] && programs+=(vel-reader)
  for program in "${programs[@]}"; do
    page=$usr/share/man/man1/$program.1.gz
    [ -f "$page" ] || { fail "no $page"; continue; }
    lexgrog "$page" | grep -q "\"$program - " || fail "$page: no whatis entry for $program"
    # As lintian looks for groff's complaints.
    local complaints
    complaints=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null) ||
      fail "man cannot render $page"
    [ -z "$complaints" ] || fail "$page: $complaints"
    local text
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man -l "$page" 2> /dev/null) || fail "man -l $page"
    grep -q "$program $VEL_VERSION" <<< "$text" || fail "$page is not of version $VEL_VERSION"
  done
}

# Completion of velcard, loaded the way bash-completion loads it on the first
# Tab (by name, from the installed tree), on an image made with velcard. A case
# is "OFFERS|WORDS": the offers for the last word, "" standing for an empty one.
check_completion() {
  need bash
  local loader=/usr/share/bash-completion/bash_completion
  [ -f "$loader" ] || { echo "skipped: bash-completion is not installed"; exit 77; }

  local card=$scratch/home/IMG velcard=$usr/bin/velcard
  mkdir -p "$scratch/home"
  "$velcard" create "$card" RX3-8 > /dev/null
  local job
  for job in ROAD7 JOB2 'A*1'; do "$velcard" new-job "$card" "$job" > /dev/null; done
  # A file that the name A*1 would match were it taken for a pattern.
  touch "$scratch/home/AX1"

  local results
  results=$(cd "$scratch/home" && HOME=$scratch/home PATH=$usr/bin:$PATH \
    XDG_DATA_DIRS=$usr/share BASH_COMPLETION_USER_DIR=$scratch/none \
    bash --norc --noprofile -c '
      source '"$loader"'
      __load_completion velcard || { echo "not loaded"; exit 1; }
      function=$(complete -p velcard | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
      # Completes the last of the words given; prints the offers sorted, on one line.
      offers() {
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        "$function" velcard "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd" "
      }
      cases=0
      while IFS="|" read -r expected line; do
        read -ra words <<< "$line"
        [[ ${words[-1]} == "\"\"" ]] && words[-1]=""
        got=$(offers "${words[@]}")
        [ "$got" = "$expected" ] || echo "\"$line\" offers \"$got\", not \"$expected\""
        cases=$((cases + 1))
      done
      echo "cases: $cases"
    ' <<'CASES'
export|velcard e
jobs|velcard --wait 5 j
|velcard --wait ""
--no-backup|velcard --no
ROAD7|velcard records IMG R
ROAD7|velcard records IMG r
ROAD7|velcard records ~/IMG R
A\*1|velcard records IMG A
--known|velcard add-point IMG --
|velcard rename-job IMG JOB2 ""
RX3-32 RX3-8|velcard create new.VEL RX3
dxf|velcard export IMG ROAD7 d
|velcard import IMG ROAD7 d
IMG|velcard info IM
CASES
  ) || fail "completion did not run: $results"
  grep -q '^cases: [1-9]' <<< "$results" || fail "no completion case was run"
  if grep -v '^cases: ' <<< "$results"; then fail "completion offers the wrong words"; fi
}

"check_$group"
if [ "$failures" -ne 0 ]; then exit 1; fi
echo "install.$group: passed"
