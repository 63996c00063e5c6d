#!/usr/bin/env bash
# Builds the demo catalogue that the bundled search service shares when no other music folder is given:
# short songs of our own making (synthesised melodies, some opened by a synthesised voice reading the
# title) in the five media types the search offers, with invented singers and titles.
#
#   scripts/make-catalogue.sh [OUTPUT_DIR]      (default: catalogue/ in the source tree)
#
# Layout: OUTPUT_DIR/<singer>/<album>/<file>. Most files carry title, artist and album tags; a few carry
# none, so their names come from the file name ("singer - title"). RealMedia (.rm) has no tags the service
# reads. Each .ram playlist names its .rm by a path relative to itself; the service turns that into a
# full address when it serves the playlist. OUTPUT_DIR/singers.txt tells male ("男") from female ("女")
# singers for the singer charts; bands are in neither list.
#
# Needs sox, espeak-ng, ffmpeg (libmp3lame, wmav2, real_144), python3 and gst-launch-1.0 (each song is
# played once through GStreamer to check it).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/catalogue}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in sox espeak-ng ffmpeg python3 gst-launch-1.0; do
  command -v "$tool" >/dev/null || { echo "make-catalogue: $tool is missing" >&2; exit 1; }
done

# type | singer | album | title | tags (t: tagged, -: untagged) | voice (cmn, en or -) | file name ('' = "singer - title.ext")
songs=$(cat <<'TABLE'
mp3|晨风乐队|潮汐笔记|海边的清晨|t|cmn|
mp3|晨风乐队|潮汐笔记|远方的灯塔|t|-|
mp3|晨风乐队|潮汐笔记|风里的信|t|-|
mp3|晨风乐队|潮汐笔记|山谷的回声|t|-|
mp3|晨风乐队|潮汐笔记|夏天的尾巴街|t|-|
mp3|晨风乐队|潮汐笔记|旧车站的雨|-|-|
mp3|林小雨|纸飞机|窗外的雨滴|t|cmn|01.mp3
mp3|林小雨|纸飞机|纸飞机的约定|t|-|02.mp3
mp3|林小雨|纸飞机|雨后的彩虹桥|t|-|03.mp3
mp3|林小雨|纸飞机|月光下的秋千|t|-|04.mp3
mp3|林小雨|纸飞机|春天的便签|t|-|05.mp3
mp3|林小雨|纸飞机|小巷的猫|t|-|06.mp3
mp3|周远航|北行|北方的列车|t|cmn|
mp3|周远航|北行|荒原上的歌|t|-|
mp3|周远航|北行|沙漠的星星|t|-|
mp3|周远航|北行|河岸的篝火|t|-|
mp3|周远航|北行|老街的钟声|-|-|
mp3|苏晚晴|晚风集|晚风的拥抱|t|cmn|
mp3|苏晚晴|晚风集|梦里的花园|t|-|
mp3|苏晚晴|晚风集|湖心的小船|t|-|
mp3|苏晚晴|晚风集|蓝色的信封|t|-|
mp3|苏晚晴|晚风集|云朵的形状|t|-|
mp3|陈北辰|夜行城市|城市的背面|t|-|
mp3|陈北辰|夜行城市|深夜的电台|t|cmn|
mp3|陈北辰|夜行城市|冬天的咖啡馆|t|-|
mp3|陈北辰|夜行城市|雪地里的脚印|t|-|
mp3|陈北辰|夜行城市|桥下的灯|t|-|
mp3|青石巷乐团|江南小调|青石巷的黄昏|t|-|
mp3|青石巷乐团|江南小调|屋檐下的燕子|t|-|
mp3|青石巷乐团|江南小调|茶馆的午后|t|-|
mp3|青石巷乐团|江南小调|灯笼的影子|t|-|
mp3|青石巷乐团|江南小调|江南的雨季|t|cmn|
mp3|Blue Lantern|Harbor Sketches|Midnight Tram Seven|t|en|
mp3|Blue Lantern|Harbor Sketches|Harbor of Paper Boats|t|-|
mp3|Mira Solenne|Glass Orchard|Glass Orchard|t|en|
mp3|Mira Solenne|Glass Orchard|Comet in a Teacup|t|-|
mp3|Tomas Reedwell|Dust Road Almanac|Dust Road Almanac|t|-|
mp3|Tomas Reedwell|Dust Road Almanac|Lighthouse Keeper Waltz|t|-|
mp3|Copper Fox|Tin Roof|Lantern Run|-|en|
mp3|Copper Fox|Tin Roof|Tin Roof Weather|-|-|
rm|晨风乐队|潮汐笔记|雨夜的港口|-|cmn|
rm|周远航|北行|草原的风|-|-|
rm|Copper Fox|Tin Roof|Rusty Compass|-|en|
rm|苏晚晴|晚风集|落叶的信|-|-|
wma|林小雨|纸飞机|橘子汽水|t|cmn|
wma|Mira Solenne|Glass Orchard|Velvet Static|t|-|
wma|陈北辰|夜行城市|霓虹的尽头|t|-|
wma|青石巷乐团|江南小调|石桥流水|t|-|
asf|苏晚晴|晚风集|海棠花开|t|-|
asf|Tomas Reedwell|Dust Road Almanac|Northbound Letters|t|en|
asf|晨风乐队|潮汐笔记|晨光序曲|t|-|
TABLE
)

# Playlists: singer | album | playlist title | the .rm title it names.
playlists=$(cat <<'TABLE'
晨风乐队|潮汐笔记|雨夜的港口（在线收听）|雨夜的港口
周远航|北行|草原的风（在线收听）|草原的风
Copper Fox|Tin Roof|Rusty Compass (stream)|Rusty Compass
TABLE
)

# A melody of ten notes from a pentatonic scale, chosen by the song's number so that every run makes
# the same songs.
melody() {
  local seed=$1 target=$2
  local notes=(C4 D4 E4 G4 A4 C5 D5 E5 G5 A5)
  local voices=(pluck sine triangle pluck)
  local voice=${voices[$((seed % 4))]}
  local args=() i note length
  RANDOM=$((seed * 7919 + 17))
  for i in $(seq 1 10); do
    note=${notes[$((RANDOM % 10))]}
    length=0.$((30 + RANDOM % 15))
    args+=(synth "$length" "$voice" "$note" fade 0.01 "$length" 0.05 :)
  done
  unset 'args[${#args[@]}-1]'
  sox -q -n -r 16000 -c 1 -b 16 "$target" "${args[@]}"
}

# The song's audio: the title read aloud (when asked for) and then its melody, mono 16 kHz.
render() {
  local seed=$1 voice=$2 title=$3 target=$4
  melody "$seed" "$work/melody.wav"
  if [[ $voice != - ]]; then
    espeak-ng -v "$voice" -s 170 -w "$work/voice-raw.wav" "$title"
    sox -V1 "$work/voice-raw.wav" -r 16000 -c 1 -b 16 "$work/voice.wav" trim 0 2.5
    sox -q "$work/voice.wav" "$work/melody.wav" "$work/joined.wav" gain -n -3
  else
    sox -q "$work/melody.wav" "$work/joined.wav" gain -n -3
  fi
  mv "$work/joined.wav" "$target"
}

# ffmpeg writes RealAudio 1.0 with the codec tag "lpcJ" and every packet stamped 0 ms. GStreamer knows
# this codec as "14_4" and plays all packets at once without real times, so the tag is replaced and each
# packet gets its time: at 1000 bytes a second, the milliseconds equal the payload bytes before it.
fix_realaudio() {
  python3 - "$1" <<'PY'
import struct, sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
tag = data.index(b'lpcJ')
data[tag:tag + 4] = b'14_4'
chunk = data.index(b'DATA')
end = chunk + struct.unpack('>I', data[chunk + 4:chunk + 8])[0]
pos, payload = chunk + 18, 0
while pos + 12 <= end:
    length = struct.unpack('>H', data[pos + 2:pos + 4])[0]
    if length < 12:
        break
    struct.pack_into('>I', data, pos + 6, payload)
    payload += length - 12
    pos += length
open(path, 'wb').write(bytes(data))
PY
}

check_plays() {
  local uri
  uri=$(python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).absolute().as_uri())' "$1")
  if ! timeout 60 gst-launch-1.0 -q playbin "uri=$uri" audio-sink=fakesink video-sink=fakesink >"$work/gst.log" 2>&1 ||
     grep -q ERROR "$work/gst.log"; then
    echo "make-catalogue: GStreamer cannot play $1" >&2
    cat "$work/gst.log" >&2
    exit 1
  fi
}

rm -rf "$out"
mkdir -p "$out"
bitexact=(-fflags +bitexact -flags:a +bitexact -map_metadata -1)
seed=0
# The table is read on its own descriptor: ffmpeg and friends would otherwise eat it from standard input.
while IFS='|' read -r -u 3 type singer album title tagged voice file; do
  seed=$((seed + 1))
  dir="$out/$singer/$album"
  mkdir -p "$dir"
  target="$dir/${file:-$singer - $title.$type}"
  render "$seed" "$voice" "$title" "$work/song.wav"
  tags=()
  if [[ $tagged == t ]]; then
    tags=(-metadata "title=$title" -metadata "artist=$singer" -metadata "album=$album")
  fi
  case $type in
    mp3) ffmpeg -nostdin -loglevel error -y -i "$work/song.wav" "${bitexact[@]}" "${tags[@]}" -id3v2_version 3 \
           -ac 1 -ar 16000 -c:a libmp3lame -b:a 24k "$target" ;;
    wma|asf) ffmpeg -nostdin -loglevel error -y -i "$work/song.wav" "${bitexact[@]}" "${tags[@]}" \
           -ac 1 -ar 16000 -c:a wmav2 -b:a 24k -f asf "$target" ;;
    rm) ffmpeg -nostdin -loglevel error -y -i "$work/song.wav" "${bitexact[@]}" \
           -ac 1 -ar 8000 -c:a real_144 -f rm "$target"
        fix_realaudio "$target" ;;
  esac
  check_plays "$target"
done 3<<<"$songs"

while IFS='|' read -r singer album title song; do
  printf '%s\r\n' "$singer - $song.rm" >"$out/$singer/$album/$singer - $title.ram"
  [[ -f "$out/$singer/$album/$singer - $song.rm" ]] || { echo "make-catalogue: $title names a missing song" >&2; exit 1; }
done <<<"$playlists"

printf '%s\n' "男 周远航" "男 陈北辰" "男 Tomas Reedwell" "女 林小雨" "女 苏晚晴" "女 Mira Solenne" >"$out/singers.txt"

echo "make-catalogue: $(find "$out" -type f ! -name singers.txt | wc -l) songs, $(du -sh "$out" | cut -f1) in $out"
