#!/usr/bin/env bash
# Writes the fuzzers' seed corpus from the built data (build/app, made by
# scripts/build-data.sh) into build-fuzz/corpus/<reader>/: small real files
# whole, the pack archive's entries cut out of pack.dat, a small archive of
# the small entries, the head of each tile file, single records out of the
# settings files. Files a run of the viewer left in its home (3dvis.ini,
# pref.ini) are taken too when present.
#
#   scripts/fuzz-corpus.sh [APP_DIR] [CORPUS_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
app="${1:-${TERRANOX_BUILD_DIR:-$root/build}/app}"
out="${2:-$root/build-fuzz/corpus}"
if [ ! -d "$app" ]; then
  echo "fuzz-corpus: no built data in $app (run scripts/build-data.sh)" >&2
  exit 1
fi
mkdir -p "$out"
exec python3 - "$app" "$out" <<'PY'
import os, struct, sys, glob

app, out = sys.argv[1], sys.argv[2]
SIG = struct.pack('<6I', 0x15678ADC, 0x22567855, 0xF3356DAA, 0xEEA23459, 0x41453B0C, 0x166CA81A)
MAX_SEED = 256 * 1024

def put(reader, name, data):
    if not data:
        return
    d = os.path.join(out, reader)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(data[:MAX_SEED])

def read(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError:
        return b''

def find_ci(name):
    for base in (app, os.path.join(app, 'pack')):
        if not os.path.isdir(base):
            continue
        for f in os.listdir(base):
            if f.lower() == name.lower():
                return read(os.path.join(base, f))
    return b''

# The archive's entries by base name.
entries = {}
pack = read(os.path.join(app, 'pack.dat'))
at = pack.find(SIG, 0, 0x200000) if pack else -1
if at >= 0:
    count = struct.unpack_from('<i', pack, at + 32)[0]
    data_start = at + 44 + 96 * max(count, 0)
    for i in range(max(count, 0)):
        e = at + 44 + 96 * i
        raw = pack[e:e + 72]
        name = raw.split(b'\0', 1)[0].decode('latin-1')
        off, length = struct.unpack_from('<II', pack, e + 72)
        entries[name.split('\\')[-1].lower()] = pack[data_start + off:data_start + off + length]

def data_file(name):
    return entries.get(name.lower()) or find_ci(name)

# A small archive of the small entries, and one of a single entry.
def make_pack(items, lead=b''):
    body, dirs = b'', b''
    for name, data in items:
        dirs += name.encode('latin-1')[:71].ljust(72, b'\0') + struct.pack('<II', len(body), len(data)) + b'\0' * 16
        body += data
    return lead + SIG + struct.pack('<IiII', 0, len(items), 0, 0) + dirs + body
small = [(n, d) for n, d in sorted(entries.items()) if len(d) <= 16384][:6]
put('pack_archive', 'small.dat', make_pack(small))
put('pack_archive', 'offset.dat', make_pack(small[:1], lead=b'\x01' * 13))
put('pack_archive', 'empty.dat', make_pack([]))

for reader, name in [('country_table', 'country.bin'), ('city_table', 'site.bin'),
                     ('boundary_store', 'CARTE.BIN2'), ('zone_tree', 'CARTE.ZONES'),
                     ('star_field', 'star.bin')]:
    put(reader, name, data_file(name))
for n, d in entries.items():
    if n.endswith('.jpg'):
        put('image_decoder', n, d)
for path in glob.glob(os.path.join(app, '**', '*.jpg'), recursive=True):
    if os.path.getsize(path) <= MAX_SEED:
        put('image_decoder', os.path.basename(path), read(path))
# The strip reader gets the smaller images whole; the installer's world
# image itself is too large for a seed.
for n, d in entries.items():
    if n.endswith('.jpg') and len(d) <= 64 * 1024:
        put('jpeg_strip_reader', n, d)
put('info_texts', 'readme.txt', data_file('readme.txt'))
for path in glob.glob(os.path.join(app, '**', '*.cur'), recursive=True):
    put('cursor_file', os.path.basename(path), read(path))

# Tile files: the head (header, index and the first tiles); the codec gets
# stored tiles cut out behind the index.
for path in sorted(glob.glob(os.path.join(app, 'globe*.te[mx]'))):
    data = read(path)
    put('tile_file', os.path.basename(path), data[:MAX_SEED])
    for k in range(4):
        start = 87440 + k * 20000
        put('tile_codec', '%s.%d' % (os.path.basename(path), k), data[start:start + 8192])

def records(data, name):
    # Every stored record of that name: u32 size, then the NUL-ended name.
    key = name.encode() + b'\0'
    found, at = [], data.find(key)
    while at >= 4:
        size = struct.unpack_from('<I', data, at - 4)[0]
        if 4 + len(key) <= size <= len(data) - (at - 4):
            found.append(data[at - 4:at - 4 + size])
        at = data.find(key, at + 1)
    return found

homes = [app] + glob.glob('/tmp/terranox-kill*/home*') + glob.glob(os.path.join(os.environ.get('HOME', '/'), '.terranox*'))
for home in homes:
    tag = os.path.basename(home.rstrip('/'))
    vis = read(os.path.join(home, '3dvis.ini'))
    put('settings_record_file', tag + '.3dvis.ini', vis)
    for i, r in enumerate(records(vis, 'savecbuttons')):
        put('hud_record', '%s.%d' % (tag, i), r)
    for i, r in enumerate(records(vis, 'saveccity')):
        put('city_selection', '%s.%d' % (tag, i), r)
    for i, r in enumerate(records(vis, 'savecdistance')):
        put('distance_tool', '%s.%d' % (tag, i), r)
    for i, r in enumerate(records(vis, 'savecbuttonlist')):
        put('browser_panel', '%s.%d' % (tag, i), r)
    for i, r in enumerate(records(vis, 'savesoundvisual')):
        put('sound_visual_record', '%s.%d' % (tag, i), r)
    put('configuration_file', tag + '.Terranox.ini', read(os.path.join(home, 'Terranox.ini')))
    put('preferences_store', tag + '.pref.ini', read(os.path.join(home, 'pref.ini')))

# Made-up seeds where no run leaves a file: a configuration file of the two
# empty records, and one saved view.
def record(name, body=b''):
    key = name.encode() + b'\0'
    return struct.pack('<I', 4 + len(key) + len(body)) + key + body
put('configuration_file', 'made.Terranox.ini',
    struct.pack('<5I', 0, 20, 0, 0, 0) + record('saveconfigglobe', b'\0' * 16) + record('saveconfigmp3', b'\0' * 16))
view = b'Home'.ljust(56, b'\0') + struct.pack('<10f', 0.5, 0, 0, -200, 0, 0, 1, 0, 1, 0)
# Two measurements, one of them with a point that is not a number; no
# measurement at all.
put('distance_tool', 'two.rec', record('savecdistance', struct.pack('<I8f', 2, 0.1, 0.8, 2.3, -0.4,
                                                                     float('nan'), 0, 1, 1)))
put('distance_tool', 'none.rec', record('savecdistance', struct.pack('<I', 0)))
# Help texts: line ends of each kind, a long line without blanks, and one
# with blanks for the panel to break at.
put('info_texts', 'made.txt', b'\x30Terranox\r\n\r\nA line\rAnother\n' + b'x' * 150 + b'\n' + b'word ' * 60)
# A browser window's frame and column widths: one on the first screen, one
# far off every screen with absurd widths.
put('window_geometry', 'on.bin', struct.pack('<4i', 100, 80, 700, 580) + struct.pack('<50i', *([120, 0, 300] + [0] * 47)))
put('window_geometry', 'off.bin', struct.pack('<4i', -90000, 5, -89000, 2) + struct.pack('<50i', *([-1, 7, 2**31 - 1] * 16 + [8, 9])))
# The player's registry values: strings, a number stored as a DWORD, and
# values that do not read.
put('player_preferences', 'made.conf',
    b'[Mp3player]\nInputBufferSize=sz:64\nOutputBufferSize=dword:00000200\nPreBuffer=sz:-5\n'
    b'UseDebugLog=sz:maybe\nPlaylistRepeat=@ByteArray(\\x1)\nPlaylistShuffle=sz:true\n')
# Browser panels: the city list's and the help text's placement and colours,
# with child records for a one-column row part and for a slider.
def panel(panel_id, children):
    fixed = struct.pack('<iiI5f4I', panel_id, 0, 3, 1.0, 8.0, 30.0, 14.0, 10.0, 0xFF203040, 0xFF102030, 0xFFFFFFFF, 0xFF808080)
    return record('savecbuttonlist', fixed + b''.join(children))
row = record('savecblistdisplay', struct.pack('<3I', 0x80405060, 0x80304050, 0xFFFFFF00))
slider = record('savecblistdisplayslider', struct.pack('<7I', 0x80405060, 0x80304050, 0xFFFFFF00, 1, 2, 3, 4))
put('browser_panel', 'city.rec', panel(0x104, [row, row, row, row, slider]))
put('browser_panel', 'help.rec', panel(0x108, [row, slider]))
put('saved_locations', 'one.view', view)
put('saved_locations', 'two.view', view + view[:60])

# The sound visualisation's record with its shipped look: buttons shown,
# the display at (-25, -30), size 70.
visual = bytearray(736)
struct.pack_into('<4i', visual, 0, 0, 736, 0, 1)
struct.pack_into('<11f', visual, 56, 1.0, 1.0, 1.0, -25.0, -30.0, 70.0, 1.0, 0.045, 1.0, 0.0, 0.0)
put('sound_visual_record', 'shipped.rec', record('savesoundvisual', bytes(visual)))

# User sites: two records, one with a value out of range.
def site(name, lon, lat, alt):
    return name.encode('latin-1').ljust(64, b'\0') + struct.pack('<2i3f2i', -1, 2, lon, lat, alt, 1000, 5)
put('user_site_store', 'two.bin', struct.pack('<2I', 2, 0) + site('Home', 0.1, 0.8, 35.0) + site('Far', 9.0, 0.1, 0.0))

# Site files of each format: folders, waypoints and route points, the
# three GeoJSON shapes, a quoted CSV with semicolons and a byte order mark.
put('kml_reader', 'trip.kml', b'<?xml version="1.0" encoding="UTF-8"?>\n<kml xmlns="http://www.opengis.net/kml/2.2"><Document>'
    b'<Folder><name>A</name><Placemark><name>Hut</name><Point><coordinates>7.5 , 45.25,3260</coordinates></Point></Placemark>'
    b'<Placemark><name>L</name><ExtendedData><Data name="population"><value>12</value></Data></ExtendedData><Point>'
    b'<altitudeMode>absolute</altitudeMode><coordinates>6.5,46.5,372</coordinates></Point></Placemark>'
    b'<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark></Folder></Document></kml>')
put('gpx_reader', 'camp.gpx', b'<?xml version="1.0"?><gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1">'
    b'<wpt lat="47.5" lon="-122.25"><ele>56</ele><name>Camp</name><extensions><population>3</population></extensions></wpt>'
    b'<rte><rtept lat="47.75" lon="-122.5"><name>Turn</name></rtept></rte><trk><trkseg><trkpt lat="1" lon="1"/></trkseg></trk></gpx>')
put('geojson_reader', 'collection.geojson', b'{"type":"FeatureCollection","features":[{"type":"Feature","geometry":'
    b'{"type":"Point","coordinates":[139.75,35.5,40]},"properties":{"name":"Tokyo","population":"13960000","ele":3}},'
    b'{"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,2],[3,4]]},"properties":{}}]}')
put('geojson_reader', 'feature.geojson', b'{"type":"Feature","geometry":{"type":"Point","coordinates":[1.5,-2]},"properties":{"name":"One"}}')
put('geojson_reader', 'point.json', b'{"type":"Point","coordinates":[3,4,5]}')
put('csv_reader', 'quoted.csv', b'\xef\xbb\xbfLongitude;Name;LAT;Population\r\n2,3522;"Caf\xc3\xa9 ""Le Coin"";\nParis";48,8566;2100000\r\n'
    b'\r\n1;Short\r\n-0.125;London;51.5;\r\n')
put('csv_reader', 'latin.csv', b'name,lat,lon,alt\nM\xfcnchen,48.1,11.5,519\n')

# MPEG audio: a second of a tone in each layer and rate the player is tested
# with, encoded by the Debian encoders when they are installed.
import math, shutil, subprocess, tempfile, wave
def tone(path, rate, channels):
    with wave.open(path, 'wb') as w:
        w.setnchannels(channels); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes(b''.join(struct.pack('<h', int(8000 * math.sin(2 * math.pi * 440 * i / rate))) * channels
                               for i in range(rate // 2)))
with tempfile.TemporaryDirectory() as tmp:
    for tool, rate, channels, args in [('lame', 44100, 2, ['--quiet', '-b', '64']), ('lame', 22050, 1, ['--quiet', '-b', '32']),
                                       ('lame', 48000, 2, ['--quiet', '-b', '128']), ('twolame', 44100, 2, ['--quiet', '-b', '128']),
                                       ('twolame', 24000, 1, ['--quiet', '-b', '48'])]:
        if not shutil.which(tool):
            continue
        wav, mp = os.path.join(tmp, 't.wav'), os.path.join(tmp, 't.mp')
        tone(wav, rate, channels)
        if subprocess.run([tool] + args + [wav, mp], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            put('mpeg_decoder', '%s-%d-%d.mp' % (tool, rate, channels), read(mp))

for reader in sorted(os.listdir(out)):
    print('%-22s %d seeds' % (reader, len(os.listdir(os.path.join(out, reader)))))
PY
