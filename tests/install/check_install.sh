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
    # One product name in the menu and the software centre.
    local name
    name=$(xmllint --xpath 'string(/component/name)' "${metainfo[0]}")
    [ "$name" = "$(desktop_value "$desktop" Name)" ] ||
      fail "metainfo names '$name', the menu entry '$(desktop_value "$desktop" Name)'"
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

# The main window as the X server has it: the caption "Veldra V2.1" alone (no
# product name added), and the window class the menu entry names, so that the
# desktop shows the window under VEL_Reader.
check_window() {
  if [ "$VEL_WITH_GUI" != 1 ]; then
    echo "skipped: built without the desktop program"
    exit 77
  fi
  need xvfb-run xwininfo xprop
  local card=$scratch/card.VEL properties
  "$usr/bin/velcard" create "$card" RX3-8 > /dev/null
  properties=$(VEL_CARD=$card VEL_PROGRAM=$usr/bin/vel-reader \
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY xvfb-run -a bash -c '
      "$VEL_PROGRAM" "$VEL_CARD" 2> /dev/null &
      program=$!
      for _ in $(seq 150); do
        window=$(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"Veldra V2.1\".*/\1/p" | head -1)
        [ -n "$window" ] && break
        sleep 0.2
      done
      [ -n "$window" ] && xprop -id "$window" WM_NAME _NET_WM_NAME WM_CLASS
      kill "$program"
      wait "$program" 2> /dev/null
      true')
  [ -n "$properties" ] || { fail "no main window captioned 'Veldra V2.1' within 30 s"; return; }
  grep -qx 'WM_NAME(STRING) = "Veldra V2.1"' <<< "$properties" || fail "caption: $properties"
  grep -qx '_NET_WM_NAME(UTF8_STRING) = "Veldra V2.1"' <<< "$properties" || fail "caption: $properties"
  local name
  name=$(desktop_value "$usr/share/applications/vel-reader.desktop" Name)
  grep -qx "WM_CLASS(STRING) = \"vel-reader\", \"$name\"" <<< "$properties" ||
    fail "window class is not the menu entry's $name: $properties"
  [ "$(desktop_value "$usr/share/applications/vel-reader.desktop" StartupWMClass)" = "$name" ] ||
    fail "the menu entry's StartupWMClass is not its Name $name"
}

# A manual page as a reader sees it on a terminal of WIDTH columns.
rendered_page() {
  LC_ALL=C.UTF-8 MANWIDTH=$2 MANPAGER=cat man -l "$1" 2> /dev/null | sed 's/.\x08//g'
}
# The tags of section $2 of rendered text $1 that start with a character
# matching $3: the commands or options, each a tag line with its text indented
# below it.
section_tags() {
  awk -v section="$2" -v first="$3" '
    /^[^ ]/ { inside = ($0 == section) }
    inside && /^              [^ ]/ && previous ~ /^       [^ ]/ {
      tag = substr(previous, 8)
      if (substr(tag, 1, 1) ~ first) print tag
    }
    { previous = $0 }
  ' <<< "$1"
}
# The options a block of --help under heading $2 describes: each line that
# starts with a dash, up to its first double space.
help_options() {
  sed -n "/^$2\$/,/^\$/{/^ *-/{s/^ *//;s/  .*//;p}}" <<< "$1"
}

# The page lists exactly the commands of --help, with their arguments.
check_page_commands() {
  local help=$1 page=$2
  local from_help from_page
  # A command's arguments are the words in capitals and options after its
  # name; its summary starts at the first other word.
  from_help=$(help_section_commands "$help" | sort)
  from_page=$(section_tags "$page" COMMANDS '[a-z]' | sort)
  [ -n "$from_help" ] || fail "velcard --help lists no command"
  [ "$from_help" = "$from_page" ] ||
    fail "velcard(1) COMMANDS differ from --help:"$'\n'"$(diff <(echo "$from_help") <(echo "$from_page"))"
}
help_section_commands() {
  sed -n '/^commands:$/,/^$/{/^  [^ ]/p}' <<< "$1" | awk '{
    synopsis = $1
    for (i = 2; i <= NF && ($i ~ /^[][A-Z0-9_.-]+$/ || $i ~ /^\[?--[a-z-]+\]?$/); i++) synopsis = synopsis " " $i
    print synopsis
  }'
}

# The page's OPTIONS are those of --help ("-h, --help" standing for --help),
# and its ENVIRONMENT names every variable --help names.
check_page_options() {
  local program=$1 help=$2 page=$3 heading=$4
  local option tag found
  local -a options tags
  mapfile -t options < <(help_options "$help" "$heading")
  mapfile -t tags < <(section_tags "$page" OPTIONS '-')
  [ ${#options[@]} -gt 0 ] || fail "$program --help lists no option under '$heading'"
  [ ${#options[@]} -eq ${#tags[@]} ] ||
    fail "$program(1) has ${#tags[@]} options (${tags[*]}), --help ${#options[@]} (${options[*]})"
  for option in "${options[@]}"; do
    found=0
    for tag in "${tags[@]}"; do
      [[ $tag == "$option" || $tag == *", $option" ]] && found=1
    done
    [ $found = 1 ] || fail "$program(1) OPTIONS lack '$option'"
  done
  local environment variable
  environment=$(sed -n '/^ENVIRONMENT$/,/^[^ ]/p' <<< "$page")
  for variable in $(grep -oE '\b[A-Z]+(_[A-Z]+)+\b' <<< "$help" | sort -u); do
    grep -qw -- "$variable" <<< "$environment" || fail "$program(1) ENVIRONMENT lacks $variable"
  done
}

# The manual pages: found by name, whatis-parsable, rendered without a
# warning from groff or a word broken across lines, of the installed version,
# and telling what the installed program's --help tells.
check_man() {
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
    local text width
    text=$(rendered_page "$page" 80)
    grep -q "$program $VEL_VERSION" <<< "$text" || fail "$page is not of version $VEL_VERSION"
    # A path or name cut by a hyphen at the end of a line cannot be copied.
    for width in 80 72 64; do
      if rendered_page "$page" "$width" | grep -n '‐$'; then
        fail "$page breaks a word at $width columns"
      fi
    done

    local help wide
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --help) ||
      fail "$program --help failed"
    wide=$(rendered_page "$page" 400)
    if [ "$program" = velcard ]; then
      check_page_commands "$help" "$wide"
      check_page_options velcard "$help" "$wide" 'Options (before the command):'
    else
      check_page_options vel-reader "$help" "$wide" 'Options:'
    fi
  done
}

# The two packages, as cpack makes them from the install components: velcard
# (cli) runs without Qt and has its page, completion and the GIS module; the
# desktop program's (desktop) has the rest; each has its own copyright and
# changelog; no file is in both or in neither.
check_components() {
  need objdump
  local component
  for component in cli desktop Unspecified; do
    DESTDIR=$scratch/$component "$VEL_CMAKE" --install "$VEL_BUILD_DIR" --prefix /usr \
      --component "$component" > /dev/null
  done
  DESTDIR=$scratch/all "$VEL_CMAKE" --install "$VEL_BUILD_DIR" --prefix /usr > /dev/null
  [ -z "$(find "$scratch/Unspecified" -type f 2> /dev/null)" ] ||
    fail "files in no package: $(cd "$scratch/Unspecified" && find . -type f)"

  local cli=$scratch/cli/usr file
  local -a wanted=(bin/velcard share/man/man1/velcard.1.gz
    share/bash-completion/completions/velcard share/doc/velcard/copyright
    share/doc/velcard/changelog.gz)
  for file in "${wanted[@]}"; do [ -f "$cli/$file" ] || fail "velcard lacks /usr/$file"; done
  [ -n "$(find "$cli" -name libvel-gis.so)" ] || fail "velcard lacks the GIS module"
  local elf
  while IFS= read -r elf; do
    if objdump -p "$elf" | grep -E 'NEEDED +libQt'; then fail "${elf#"$scratch"/} needs Qt"; fi
  done < <(find "$cli" -type f \( -name '*.so' -o -perm -u+x \))

  local whole halves
  whole=$(cd "$scratch/all" && find . -type f | sort)
  halves=$( (cd "$scratch/cli" && find . -type f; [ -d "$scratch/desktop" ] &&
    cd "$scratch/desktop" && find . -type f) | sort)
  [ "$whole" = "$halves" ] ||
    fail "the components differ from the whole install:"$'\n'"$(diff <(echo "$whole") <(echo "$halves"))"

  [ "$VEL_WITH_GUI" = 1 ] || return 0
  local desktop=$scratch/desktop/usr
  wanted=(bin/vel-reader share/man/man1/vel-reader.1.gz share/applications/vel-reader.desktop
    share/doc/vel-reader/copyright share/doc/vel-reader/changelog.gz)
  for file in "${wanted[@]}"; do [ -f "$desktop/$file" ] || fail "vel-reader lacks /usr/$file"; done
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
