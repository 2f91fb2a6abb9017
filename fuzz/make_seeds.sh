#!/usr/bin/env bash
# Makes the fuzz harnesses' seed inputs from the staged working folder: the readers' own files,
# cut short where they are large (the readers take a file that ends early), each behind the few
# bytes of settings its harness reads first.
#   make_seeds.sh STAGE OUT PACKS_TOOL
set -euo pipefail
stage=$1 out=$2 packs=$3
rm -rf "$out"
mkdir -p "$out"/{images,sprites,wave,mp3,packs,audit,link,service,fonts}

# seed DIR NAME PREFIX FILE LIMIT: PREFIX (printf format) then at most LIMIT bytes of FILE.
seed() {
    { printf "$3"; head -c "$5" "$4"; } >"$out/$1/$2"
}

# A corner of a staged picture in its own format (ImageMagick): small, so that runs are quick.
#   corner FILE OUT FORMAT [convert options...]
corner() {
    local file=$1 out=$2 format=$3
    shift 3
    convert "$file" -crop 40x30+0+0 +repage -type TrueColor "$@" "$format:$out.tmp" 2>/dev/null &&
        mv "$out.tmp" "$out" || { rm -f "$out.tmp"; return 1; }
}

# Resource images: the type (0 BMP, 1 PCX), then the file: a corner of each and the start of
# the whole file.
n=0
while IFS= read -r f; do
    n=$((n + 1))
    case "$f" in
        *.PCX | *.pcx) type='\001' format=PCX ;;
        *) type='\000' format=BMP3 ;;
    esac
    seed images "$n" "$type" "$f" 4096
    if corner "$f" "$out/images/c$n" "$format"; then
        { printf "$type"; cat "$out/images/c$n"; } >"$out/images/corner$n"
        rm "$out/images/c$n"
    fi
done < <(find "$stage/Graphic_resource" -iname '*.bmp' -o -iname '*.pcx' | sort)

# Sprites: settings (kind, frames, x, y, angle, opacity), then a corner of each sprite file; the
# TGAs both raw and run-length.
n=0
while IFS= read -r f; do
    n=$((n + 1))
    case "$f" in
        *.tga)
            for c in None RLE; do
                corner "$f" "$out/sprites/t" TGA -type TrueColorAlpha -compress $c &&
                    { printf '\001\001\144\000\144\000\000\377'; cat "$out/sprites/t"; } >"$out/sprites/$c$n"
            done ;;
        *)
            corner "$f" "$out/sprites/t" BMP3 &&
                { printf '\000\001\144\000\144\000\000\377'; cat "$out/sprites/t"; } >"$out/sprites/bmp$n" ;;
    esac
    rm -f "$out/sprites/t"
done < <(find "$stage/Graphic_resource" -name '*.tga' -o -name '*.bmp' | sort)

# Effects: slot, looped, position, then the file's first 8 KB.
n=0
for f in "$stage"/sounds/*.wav; do
    n=$((n + 1))
    seed wave "$n" '\000\000\000\000\000\000' "$f" 8192
done

# Tunes: a time to seek to, then the file's first 24 KB.
for f in "$stage"/sounds/*.mp3; do
    seed mp3 "$(basename "$f")" '\030\000\000\000' "$f" 24576
done
seed mp3 far '\377\377\377\177' "$stage/sounds/MainTune.mp3" 8192

# Packs: the row, a random seed, then the pack's first 4 KB.
for i in 1 2 17 18 47 48; do
    f=$(printf '%s/Questions/trueorfalse/Data%02d.pck' "$stage" "$i")
    seed packs "$i" "$(printf '\\%03o\\001\\002\\003\\004' $((i - 1)))" "$f" 4096
done

# The audit record: too short to keep, the 176-byte head alone, and a head with the trailer.
head -c 10 /dev/zero >"$out/audit/short"
head -c 176 /dev/zero | tr '\0' '\1' >"$out/audit/head"
{ head -c 176 /dev/zero; printf 'record of the cabinet\r\n2026-01-01\r\n'; } >"$out/audit/whole"

# The credit link: the requests (count and kinds), then each reply behind its 16-bit length.
reply() { printf "$(printf '\\%03o\\%03o' $((${#1} % 256)) $((${#1} / 256)))%s" "$1"; }
{ printf '\006\000\001\002\003\004\005\006'; reply $'CTEL,150\r'; reply $'BTEL,0\r'
  reply $'CTEL,100\r'; reply $'BTEL,200\r'; reply $'CTEL,105\r'; reply $'CTEL,55\r'
  reply $'BTEL,300\r'; } >"$out/link/replies"
{ printf '\002\000\001\002'; reply $'CTEL,15'; reply $'0\rBTEL,'; reply $'FAIL,0\r'; } >"$out/link/split"
{ printf '\001\000\000'; reply $'CTEL,99999\r'; reply $'CTEL\r'; } >"$out/link/odd"

# The credit service: the byte stream cut into reads, each read behind its length (less one).
reads() { for r in "$@"; do printf "$(printf '\\%03o' $((${#r} - 1)))%s" "$r"; done; }
reads $'CGET\r\n' $'CADD,500\r\n' $'CUSE,50\r\n' $'BADD,100\r\n' $'BGET\r\n' $'PAYO,100\r\n' $'TERM\r\n' >"$out/service/game"
reads $'CA' $'DD,75\r' $'\nCUSE,5' $'0\r\nCUSE,100000\r\nBGET' $'\r\n' >"$out/service/cut"
reads $'CADD,0\r\n' $'CUSE,-5\r\n' $'XXXX\r\n' $'CGET,1\r\n' "$(printf 'B%.0s' {1..70})" >"$out/service/refused"

# Fonts: question texts as the game shows them, and the amounts of the panels.
"$packs" dump "$stage/Questions/trueorfalse/Data01.pck" 2>/dev/null | head -20 |
    while IFS= read -r line; do
        n=$((${n:-0} + 1))
        printf '%s' "$line" >"$out/fonts/q$n"
    done || true
printf '\243%s' 1.50 >"$out/fonts/amount"
printf '\243%s' 99.99 >"$out/fonts/amount-wide"
