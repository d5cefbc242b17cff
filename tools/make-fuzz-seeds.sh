#!/usr/bin/env bash
# Writes the fuzzers' seed corpora (fuzz/corpus/<target>/) from real files:
# cache BMPs of the default photos, JPEG and TIFF files tagged by exiftool,
# the dialog templates of the built resources, POWERCFG's answers as it
# prints them in several languages, and command lines, settings values and
# names as users and other programs write them. The seeds are checked in;
# run this again only when a format changes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corpus=$root/fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seed_dir() { rm -rf "${corpus:?}/$1"; mkdir -p "$corpus/$1"; echo "$corpus/$1"; }

# The cache holds 24-bit bottom-up BMPs whose rows need no padding; the
# reader refuses fewer than 40001 pixel bytes, so 120 x 112 is about the
# smallest real one.
dir=$(seed_dir BitmapCache)
for photo in "$root"/data/program/res/*.png; do
  name=$(basename "$photo" .png)
  convert "$photo" -resize '120x112!' -type truecolor "BMP3:$dir/$name.bmp"
done
convert "$root/data/program/QuorvelMattingBoards/sox.jpg" -resize '124x120!' -type truecolor "BMP3:$dir/sox.bmp"

# A place byte (columns to the left in its low half, rows above in its
# high half), then a cache BMP: the seeds above, and one with its rows top
# first.
dir=$(seed_dir CacheRows)
for file in "$corpus"/BitmapCache/*.bmp; do
  { printf '\000'; cat "$file"; } >"$dir/$(basename "$file")"
  { printf '\065'; cat "$file"; } >"$dir/placed-$(basename "$file")"
done
python3 - "$corpus/BitmapCache/sox.bmp" "$dir/top-first.bmp" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
width, height = struct.unpack_from('<ii', data, 18)
stride = (width * 3 + 3) // 4 * 4
rows = [data[54 + r * stride:54 + (r + 1) * stride] for r in range(height)]
struct.pack_into('<i', data, 22, -height)
data[54:] = b''.join(reversed(rows))
open(sys.argv[2], 'wb').write(b'\x12' + bytes(data))
PY

# Small photos carrying every tag the properties list shows.
dir=$(seed_dir Exif)
tags=(-Make=Fenwold -Model="QV 1" -Software=Quorvel -Artist=Ann -Copyright="(c) Ann"
      -ImageDescription=Orchid -DateTimeOriginal="2024:05:06 07:08:09" -ExposureTime=1/125
      -FNumber=5.6 -ISO=200 -ExposureCompensation=-0.7 -MaxApertureValue=2.8 -MeteringMode#=5
      -FocalLength=35 -WhiteBalance#=1 -Contrast=2 -Saturation=1 -Sharpness=0 -UserComment=Seed)
convert -size 8x8 xc:'#336699' "$dir/tagged.jpg"
convert -size 8x8 xc:'#996633' -compress none "$dir/tagged-le.tif"
convert -size 8x8 xc:'#669933' -compress none -define tiff:endian=msb "$dir/tagged-be.tif"
exiftool -q -overwrite_original "${tags[@]}" "$dir/tagged.jpg" "$dir/tagged-le.tif" "$dir/tagged-be.tif"
convert -size 8x8 xc:'#999999' "$dir/plain.jpg"
exiftool -q -overwrite_original -all= "$dir/plain.jpg"
# The largest EXIF block a JPEG holds, its first directory as full of
# entries as it can be, every entry's value the whole block (shown tags and
# others alternating), and the EXIF pointer back to that directory.
python3 - "$dir/overlapping.jpg" <<'PY'
import struct, sys
count = (65533 - 6 - 8 - 2 - 4) // 12
entries = b''
for i in range(count - 1):
    tag = 37510 if i % 2 else 37500  # the user comment, the maker note
    entries += struct.pack('<HHII', tag, 7, 65000, 8)
entries += struct.pack('<HHII', 34665, 4, 1, 8)
tiff = b'II*\0' + struct.pack('<I', 8) + struct.pack('<H', count) + entries + b'\0' * 4
tiff += b'\0' * (65000 + 8 - len(tiff))
app1 = b'Exif\0\0' + tiff
jpeg = b'\xff\xd8\xff\xe1' + struct.pack('>H', len(app1) + 2) + app1 + b'\xff\xd9'
open(sys.argv[1], 'wb').write(jpeg)
PY

# GDI+'s property block as it hands out a camera photo's items: a 16-bit
# item count, then 24-byte item headers whose value pointers are written as
# offsets from the block's start (the fuzzer turns them into pointers), then
# the values; and a block whose headers all share one long value.
dir=$(seed_dir PropertyBlock)
python3 - "$dir" <<'PY'
import struct, sys
def block(items, shared=False):
    at = len(items) * 24
    headers, values = b'', b''
    for tag, kind, value in items:
        if shared and values:
            headers += struct.pack('<IIH6xQ', tag, len(items[0][2]), kind, len(items) * 24)
            continue
        headers += struct.pack('<IIH6xQ', tag, len(value), kind, at)
        values += value
        at += len(value)
    return struct.pack('<H', len(items)) + headers + values
camera = [(271, 2, b'Fenwold\0'), (272, 2, b'QV 1\0'), (274, 3, struct.pack('<H', 6)),
          (33434, 5, struct.pack('<II', 1, 125)), (33437, 5, struct.pack('<II', 56, 10)),
          (34855, 3, struct.pack('<H', 200)), (36864, 7, b'0231'),
          (36867, 2, b'2024:05:06 07:08:09\0'), (37380, 10, struct.pack('<ii', -7, 10)),
          (37510, 7, b'ASCII\0\0\0Seed'), (20625, 4, struct.pack('<I', 8))]
open(f'{sys.argv[1]}/camera.bin', 'wb').write(block(camera))
open(f'{sys.argv[1]}/shared.bin', 'wb').write(block([(37510, 7, b'c' * 2000)] * 64, shared=True))
PY

# Small photos of every type the albums hold: a JPEG with its EXIF block
# before the frame header, a TIFF of each byte order (its directory after
# the pixels) and an animated GIF.
dir=$(seed_dir PhotoHeader)
convert -size 64x48 xc:'#336699' "$dir/head.jpg"
exiftool -q -overwrite_original "${tags[@]}" "$dir/head.jpg"
for ext in png gif bmp tif; do convert -size 64x48 xc:'#996633' -depth 8 -compress none "$dir/head.$ext"; done
convert -size 64x48 xc:'#996633' -depth 8 -compress none -define tiff:endian=msb "$dir/head-be.tif"
convert -size 64x48 -delay 10 xc:'#996633' xc:'#336699' -page +8+8 "$dir/animated.gif"

# The dialog templates as the resource compiler lays them out, each after
# the two bytes of a point size.
dir=$(seed_dir DialogTemplate)
x86_64-w64-mingw32-windres -I "$root/res" -i "$root/res/Quorvel.rc" -O res -o "$work/Quorvel.res"
python3 - "$work/Quorvel.res" "$dir" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
out, pos, n = sys.argv[2], 0, 0
def ident(p):
    if data[p:p+2] == b'\xff\xff':
        return struct.unpack_from('<H', data, p + 2)[0], p + 4
    end = p
    while data[end:end+2] != b'\0\0':
        end += 2
    return data[p:end].decode('utf-16-le'), end + 2
while pos + 8 <= len(data):
    size, header = struct.unpack_from('<II', data, pos)
    kind, p = ident(pos + 8)
    name, p = ident(p)
    if kind == 5:
        body = data[pos + header:pos + header + size]
        open(f'{out}/dialog-{name}.bin', 'wb').write(struct.pack('<H', 12) + body)
        n += 1
    pos += header + size
    pos += -pos % 4
if n == 0:
    sys.exit('no dialog templates found')
PY

# UTF-16 as Windows hands the text over; a zero unit separates the parts.
utf16() { python3 -c 'import sys; sys.stdout.buffer.write(sys.argv[2].encode("latin-1") + "\0".join(sys.argv[3:]).encode("utf-16-le"))' "$@"; }
write() { local file=$1 prefix=$2; shift 2; utf16 x "$prefix" "$@" >"$file"; }

# POWERCFG -GETACTIVESCHEME as it answers in English, German, French,
# Spanish, Russian and Japanese, and without any plan.
dir=$(seed_dir PowerCfg)
write "$dir/en.txt" "" $'Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced)\r\n'
write "$dir/de.txt" "" $'GUID des Energieschemas: 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c  (Höchstleistung)\r\n'
write "$dir/fr.txt" "" $'GUID du mode de gestion de l\'alimentation : a1841308-3541-4fab-bc81-f71556f20b4a  (Économies d\'énergie)\r\n'
write "$dir/es.txt" "" $'GUID de plan de energía: 381b4222-f694-41f0-9685-ff5bb260df2e  (Equilibrado)\r\n'
write "$dir/ru.txt" "" $'GUID схемы питания: 381b4222-f694-41f0-9685-ff5bb260df2e  (Сбалансированная)\r\n'
write "$dir/ja.txt" "" $'電源設定の GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (バランス)\r\n'
write "$dir/none.txt" "" $'Access is denied.\r\n'

# The program path and the first two arguments.
dir=$(seed_dir CommandLine)
write "$dir/saver.bin" "" 'C:\Windows\System32\Quorvel.scr' '/s'
write "$dir/preview.bin" "" 'C:\Windows\System32\QUORVEL.SCR' '/p' '1443092'
write "$dir/settings.bin" "" 'C:\Windows\System32\Quorvel.scr' '/c:328044'
write "$dir/regular.bin" "" 'C:\Program Files\Fenwold Quorvel\Quorvel.exe'
write "$dir/cleanup.bin" "" 'C:\Users\ann\AppData\Local\Temp\Quorvel.tmp' '-d'
write "$dir/long-handle.bin" "" 'Quorvel.scr' 'p' '12345678901234567890123'

# A key number byte, then a value as the settings file holds it.
dir=$(seed_dir SettingsValue)
write "$dir/number.bin" $'\x01' '  72.9'
write "$dir/negative.bin" $'\x02' $'\t-72'
write "$dir/huge.bin" $'\x03' '1e300'
write "$dir/folder.bin" $'\x01' 'Holiday 2024'
write "$dir/parent.bin" $'\x02' '..\..\Windows'
write "$dir/device.bin" $'\x01' 'COM1.jpg'
write "$dir/board.bin" $'\x0c' 'smilies.jpg'

# A key (its length in a byte, then its UTF-16 units), then a settings
# section as GetPrivateProfileSection hands it over: the installed file's,
# one of blanks, quotes and other cases, and one without the key.
dir=$(seed_dir ProfileSection)
python3 - "$root/data/common/Quorvel.ini" "$dir" <<'PY'
import sys
def seed(name, key, entries):
    text = key + ''.join(e + '\0' for e in entries) + '\0'
    open(f'{sys.argv[2]}/{name}', 'wb').write(bytes([len(key)]) + text.encode('utf-16-le'))
lines = open(sys.argv[1], encoding='utf-16').read().splitlines()
entries = [line for line in lines if line and not line.startswith('[')]
seed('installed.bin', 'FontSize', entries)
seed('quoted.bin', 'CurrentAlbumFolderName1',
     ['; a comment', ' currentalbumfoldername1 =  " Holiday 2024 "  ', 'CurrentAlbumFolderName1=second'])
seed('missing.bin', 'Monitor7', entries[:8] + ['Monitor7', '=7'])
PY

# The number of names in the folder, then the names, then the stored order
# (zero-separated UTF-16): as written, with photos gone and added, and
# edited by hand.
dir=$(seed_dir PhotoOrder)
write "$dir/written.bin" $'\x03' 'IMG_1.BMP' 'IMG_2.BMP' 'IMG_3.BMP' 'IMG_3.BMP|IMG_1.BMP|IMG_2.BMP'
write "$dir/changed.bin" $'\x03' 'a.BMP' 'c.BMP' 'd.BMP' 'B.bmp|A.BMP||c.bmp|c.BMP'
write "$dir/edited.bin" $'\x02' 'x.BMP' 'y.BMP' ' y.BMP |||x.BMP|'

# A file dialog's first-name offset (16 bits), then its result buffer: one
# full path, and a folder with several names and stale text after the list.
dir=$(seed_dir FileSelection)
python3 - "$dir" <<'PY'
import struct, sys
def seed(name, offset, buffer):
    open(f'{sys.argv[1]}/{name}', 'wb').write(struct.pack('<H', offset) + buffer.encode('utf-16-le'))
seed('single.bin', 22, 'C:\\Users\\ann\\Pictures\\smilies.jpg\0')
seed('several.bin', 22, 'C:\\Users\\ann\\Pictures\0a.jpg\0b b.png\0\0old.jpg\0')
seed('root.bin', 4, 'D:\\\0one.jpg\0\0')
PY

# A byte of link answers, then a path and the per-user folder.
dir=$(seed_dir StorageRules)
user='C:\Users\ann\AppData\Roaming\Fenwold Quorvel'
write "$dir/albums.bin" $'\x00' "$user\\QuorvelAlbums" "$user"
write "$dir/linked.bin" $'\x02' "$user\\Mine\\Boards\\" "$user"
write "$dir/outside.bin" $'\x00' 'D:\Albums' "$user"
write "$dir/dots.bin" $'\x00' "$user\\. \\..\\x" "$user"
write "$dir/thumbs.bin" $'\x00' 'THUMBS' 'Orchid_Pink.jpg'
write "$dir/default.bin" $'\x00' 'DefaultAlbum2' '0V_0H_ZoomOut_2_256.png'
