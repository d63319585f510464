#!/usr/bin/env bash
# Makes the seeds of the medium fuzz targets from real images built here with the usual tools:
# each seed keeps only the bytes the parsers read (a few KB), in tests/fuzz/corpus/{optical,disk}.
# Run it again when a parser starts to read other structures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/fuzz.sh 0
make_seed=build-fuzz/tests/fuzz/make_seed
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000

image() {  # image NAME MEGABYTES: an empty sparse file
  truncate -s "$2M" "$work/$1"
  echo "$work/$1"
}
seed() {  # seed optical|disk NAME IMAGE
  "$make_seed" "$1" "$3" "tests/fuzz/corpus/$1/image-$2.bin"
}

mkfs.vfat -F 12 -i 0123ABCD -n FLOPPY "$(image fat12 2)" >/dev/null
seed disk fat12 "$work/fat12"
mkfs.vfat -F 16 -i 0BADF00D "$(image fat16-nolabel 24)" >/dev/null
seed disk fat16-nolabel "$work/fat16-nolabel"
mkfs.vfat -F 32 -i 89ABCDEF -n "VORLAXIS 32" "$(image fat32 40)" >/dev/null
seed disk fat32 "$work/fat32"
# A root directory continued in a second cluster that holds the label; a stale boot sector copy.
chained=$(image fat32-chained 40)
mkfs.vfat -F 32 -s 1 -i 11223344 "$chained" >/dev/null
field() { od -An -tu"$2" -j"$1" -N"$2" "$chained" | tr -d ' '; }
root=$((($(field 14 2) + $(field 16 1) * $(field 36 4)) * $(field 11 2)))
for i in $(seq 1000 1015); do printf 'FILE%sTXT\x20' "$i"; head -c 20 /dev/zero; done |
  dd of="$chained" bs=1 seek="$root" conv=notrunc status=none
fatlabel "$chained" SECOND
printf 'OLD LABEL  ' | dd of="$chained" bs=1 seek=$((0x47)) conv=notrunc status=none
seed disk fat32-chained "$chained"
mkfs.exfat -L "Média čtení" "$(image exfat 8)" >/dev/null
tune.exfat -I 0x89ABCDEF "$work/exfat" >/dev/null
seed disk exfat "$work/exfat"
mkntfs -F -Q -L "Záloha 2024" "$(image ntfs 16)" >/dev/null 2>&1
ntfslabel --new-serial=0123456789ABCDEF "$work/ntfs" >/dev/null
seed disk ntfs "$work/ntfs"

mkdir "$work/content"
echo "disc content" >"$work/content/a.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$work/content/a.txt" "$work/content"
xorriso -as mkisofs -quiet -V "BACKUP_2024_DISC_01" -o "$work/plain.iso" "$work/content" 2>/dev/null
seed optical iso "$work/plain.iso"
xorriso -as mkisofs -quiet -V "Zkouška disku 2024" -J -o "$work/joliet.iso" "$work/content" \
  2>/dev/null
seed optical joliet "$work/joliet.iso"
for block in 2048 512; do
  mkudffs --blocksize=$block --media-type=hd --vid="Fotky léto" "$(image udf$block 4)" >/dev/null
  seed optical udf$block "$work/udf$block"
done
genisoimage -quiet -udf -J -V "Bridge Disc" -o "$work/bridge.iso" "$work/content"
seed optical bridge "$work/bridge.iso"
