#!/usr/bin/env python3
"""Writes the program's icon: a name badge with a 12-dot-high LED matrix.

    python3 data/icons/make_icon.py > data/icons/glintag.svg
    bash data/icons/render_png.sh          # the hicolor PNGs from the SVG
"""

ROWS = [  # 12 rows of 26 dots; '#' lit
    "..........................",
    "..........................",
    ".#...#..#....###...###....",
    ".#...#......#####.#####...",
    ".#...#..#...###########...",
    ".#####..#...###########...",
    ".#...#..#....#########....",
    ".#...#..#.....#######.....",
    ".#...#..#......#####......",
    ".#...#..#.......###.......",
    "................#.........",
    "..........................",
]
PITCH = 8
LEFT = 128 - PITCH * len(ROWS[0]) // 2
TOP = 128 - PITCH * len(ROWS) // 2

out = [
    '<?xml version="1.0" encoding="UTF-8"?>',
    '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
    '  <defs>',
    '    <linearGradient id="body" x1="0" y1="0" x2="0" y2="1">',
    '      <stop offset="0" stop-color="#4a505a"/>',
    '      <stop offset="1" stop-color="#23262b"/>',
    '    </linearGradient>',
    '    <radialGradient id="lit">',
    '      <stop offset="0" stop-color="#fff3c4"/>',
    '      <stop offset="0.55" stop-color="#ffb31a"/>',
    '      <stop offset="1" stop-color="#e06b00"/>',
    '    </radialGradient>',
    '  </defs>',
    '  <!-- the clip that holds the badge on a shirt -->',
    '  <rect x="96" y="44" width="64" height="24" rx="8" fill="#9aa3ad" stroke="#5d646c" stroke-width="4"/>',
    '  <rect x="8" y="60" width="240" height="136" rx="28" fill="url(#body)" stroke="#15171b" stroke-width="6"/>',
    f'  <rect x="{LEFT - 8}" y="{TOP - 8}" width="{PITCH * len(ROWS[0]) + 16}" height="{PITCH * len(ROWS) + 16}"'
    ' rx="8" fill="#0d0e10"/>',
]
for r, row in enumerate(ROWS):
    for c, dot in enumerate(row):
        x, y = LEFT + c * PITCH + PITCH / 2, TOP + r * PITCH + PITCH / 2
        if dot == '#':
            out.append(f'  <circle cx="{x:g}" cy="{y:g}" r="3.6" fill="url(#lit)"/>')
        else:
            out.append(f'  <circle cx="{x:g}" cy="{y:g}" r="2.6" fill="#33373d"/>')
out.append('</svg>')
print('\n'.join(out))
