# shellcheck shell=bash disable=SC2034  # the variables set here are the caller's
# The tree the screenshot scenes test, served by the fault file system, and the faults each
# scene needs; sourced by scripts/screenshots-compare.sh and scripts/screenshots-win32.sh.
# Fault rules name paths without blanks, so the folders that fail or slow down have none.
#
#   make_tree WORK          the backing tree in WORK/backing
#   mount_tree WORK FAULTFS mounted on WORK/mnt over the rules in WORK/faults; sets tree_pid
#   scene_faults SCENE WORK the rules of SCENE into WORK/faults, and the documents as made
#   await_scene FOLDER PID WORK
#                           waits until the scene program PID has made FOLDER/ready (its
#                           windows are in the state) or has ended; changes the documents when
#                           it has made FOLDER/tested and then makes FOLDER/changed
#   wine_drives WORK        the mount as drive M: of the Wine prefix; sets wine_tree to "M:\",
#                           and winpath converts a Linux path to the prefix's path of it

make_tree() {
  local backing="$1/backing" i
  mkdir -p "$backing/Fotografie" "$backing/Dokumenty" "$backing/Fotky"
  # Holiday photos, large enough that a test reading them slowly is caught while it reads.
  for i in $(seq -w 1 40); do head -c 2097152 /dev/urandom >"$backing/Fotografie/snímek_$i.jpg"; done
  head -c 310000 /dev/urandom >"$backing/Dokumenty/smlouva.pdf"
  head -c 120000 /dev/urandom >"$backing/Dokumenty/stará smlouva.pdf"
  printf 'Dovolená 2009: Krkonoše, Šumava\r\n' >"$backing/Dokumenty/popisky k fotkám.txt"
  touch -d '2009-08-20 18:00' "$backing/Dokumenty/"*
  cp -a "$backing/Dokumenty" "$1/Dokumenty-as-made"
  # Photos of which one reads slowly, as on an ageing disc.
  for i in $(seq 1 60); do
    head -c $((100000 + i * 1000)) /dev/urandom >"$backing/Fotky/IMG_$((4000 + i)).jpg"
  done
}

mount_tree() {
  local work=$1 faultfs=$2
  mkdir -p "$work/mnt"
  : >"$work/faults"
  "$faultfs" "$work/backing" "$work/mnt" --config "$work/faults" -f -o auto_unmount \
    </dev/null >/dev/null 2>&1 &
  tree_pid=$!
  for _ in $(seq 100); do mountpoint -q "$work/mnt" && return 0; sleep 0.1; done
  echo "the fault file system could not be mounted on $work/mnt" >&2
  return 1
}

unmount_tree() {
  fusermount3 -u -z "$1/mnt" 2>/dev/null || true
}

scene_faults() {
  local rules=()
  case $1 in
    # Slow reads all through: the progress display is caught while the test reads.
    testing) rules=("delay 20") ;;
    error) rules=("delay 20" "read-error /Fotografie/snímek_05.jpg 1000000 4096") ;;
    errorlist | viewer)
      rules=("read-error /Fotografie/snímek_05.jpg 1000000 4096"
        "read-error /Fotografie/snímek_18.jpg 0 4096"
        "open-error /Dokumenty/smlouva.pdf EIO") ;;
    slow | graph) rules=("delay 400 /Fotky/IMG_4042.jpg") ;;
  esac
  rm -rf "$2/backing/Dokumenty"
  cp -a "$2/Dokumenty-as-made" "$2/backing/Dokumenty"
  # A new file at once: the file system reads the rules again at its next request.
  if [ ${#rules[@]} -gt 0 ]; then printf '%s\n' "${rules[@]}" >"$2/faults.new"; else : >"$2/faults.new"; fi
  mv -f "$2/faults.new" "$2/faults"
}

# The documents as a medium changes between two tests: a file edited, one changed without a
# trace in its size and time, one gone and one new.
change_documents() {
  local docs="$1/backing/Dokumenty"
  printf 'Dovolená 2010: Jizerské hory\r\n' >>"$docs/popisky k fotkám.txt"
  printf 'X' | dd of="$docs/smlouva.pdf" bs=1 seek=1000 conv=notrunc status=none
  touch -r "$1/Dokumenty-as-made/smlouva.pdf" "$docs/smlouva.pdf"
  rm -f "$docs/stará smlouva.pdf"
  head -c 90000 /dev/urandom >"$docs/nová smlouva.pdf"
}

await_scene() {
  local folder=$1 pid=$2 work=$3
  for _ in $(seq 900); do
    [ -e "$folder/ready" ] || ! kill -0 "$pid" 2>/dev/null && return
    if [ -e "$folder/tested" ] && [ ! -e "$folder/changed" ]; then
      change_documents "$work"
      touch "$folder/changed"
    fi
    sleep 0.1
  done
}

wine_drives() {
  local dosdevices="$WINEPREFIX/dosdevices" letter
  ln -sfn "$1/mnt" "$dosdevices/m:"
  wine_tree="M:\\"
  root_drive=""
  for letter in z y; do
    if [ "$(readlink "$dosdevices/$letter:")" = / ]; then root_drive="${letter^^}:"; break; fi
  done
}

unwine_drives() {
  rm -f "$WINEPREFIX/dosdevices/m:"
}

winpath() {
  local path=$1
  echo "$root_drive${path//\//\\}"
}
