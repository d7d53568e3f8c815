#!/usr/bin/env python3
"""Draws Velkor's artwork: the icon, the logo, the about-box emblem and the four shaman markers,
the logo and the markers also at twice the size for high-density screens ("@2x").

Everything is drawn here as SVG and rasterised with rsvg-convert (Debian: librsvg2-bin); the
GIFs are assembled with ImageMagick's convert. Only the standard library is used. The outputs
are committed, so this runs only when the artwork changes:

    python3 resources/make_art.py

Tools: python3, rsvg-convert (librsvg2-bin), convert (imagemagick), fc-match (fontconfig).
The logo's lettering uses DejaVu Serif Condensed Bold and DejaVu Sans Bold (fonts-dejavu-core,
fonts-dejavu-extra). Running it again gives byte-identical files.
"""

import itertools
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# The grey that GIF edge pixels are blended against before their transparency is cut to one bit:
# between the classic form grey (#d4d0c8) and the lighter greys of current desktop themes.
MATTE = "#d8d6d0"


def svg_doc(width, height, body, view=None, defs=""):
    view = view or f"0 0 {width} {height}"
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="{view}">\n<defs>{defs}</defs>\n{body}\n</svg>\n'
    )


def run(*args):
    subprocess.run(args, check=True)


def rasterise(svg_text, out_png, width, height):
    with tempfile.NamedTemporaryFile("w", suffix=".svg", delete=False) as f:
        f.write(svg_text)
        path = f.name
    try:
        run("rsvg-convert", "-w", str(width), "-h", str(height), "-o", out_png, path)
    finally:
        os.unlink(path)


def png_for_gif(src_png, out_png, cut="45%"):
    """Blends the partly transparent edge over the matte and keeps a one-bit mask, as GIF needs."""
    run(
        "convert", src_png,
        "(", "+clone", "-background", MATTE, "-flatten", ")",
        "(", "-clone", "0", "-alpha", "extract", "-threshold", cut, ")",
        "-delete", "0", "-alpha", "off", "-compose", "CopyOpacity", "-composite",
        out_png,
    )


# ---------------------------------------------------------------------------------------------
# The emblem: a stepped pyramid on a small island, a glowing shaman's mark above it, and two
# network nodes joined through the mark. Drawn in a 256 x 256 box.

EMBLEM_DEFS = """
<linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#0e1850"/><stop offset="0.65" stop-color="#23529c"/>
  <stop offset="1" stop-color="#3f86c4"/>
</linearGradient>
<linearGradient id="sea" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#1d7fb8"/><stop offset="1" stop-color="#0c3a70"/>
</linearGradient>
<linearGradient id="grass" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#7bcf4a"/><stop offset="1" stop-color="#2f8a2c"/>
</linearGradient>
<linearGradient id="stone" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#ffd873"/><stop offset="1" stop-color="#d8902a"/>
</linearGradient>
<linearGradient id="stoneShade" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#d0902c"/><stop offset="1" stop-color="#95561a"/>
</linearGradient>
<radialGradient id="glow">
  <stop offset="0" stop-color="#fffbe0" stop-opacity="0.95"/>
  <stop offset="0.35" stop-color="#ffe36a" stop-opacity="0.7"/>
  <stop offset="1" stop-color="#ff9d2a" stop-opacity="0"/>
</radialGradient>
<radialGradient id="orb" cx="0.4" cy="0.38" r="0.65">
  <stop offset="0" stop-color="#ffffff"/><stop offset="0.45" stop-color="#fff2a0"/>
  <stop offset="1" stop-color="#ffb020"/>
</radialGradient>
<radialGradient id="node" cx="0.4" cy="0.38" r="0.7">
  <stop offset="0" stop-color="#ffffff"/><stop offset="1" stop-color="#8fe6ff"/>
</radialGradient>
"""

INK = "#1a1030"


def pyramid(simple=False):
    """Three stone tiers and a shrine; each tier has a lit left face and a shaded right face."""
    tiers = [(56, 200, 166, 190), (76, 180, 142, 166), (96, 160, 118, 142), (110, 146, 98, 118)]
    parts = []
    for x0, x1, y0, y1 in tiers:
        mid = (x0 + x1) / 2 + (x1 - x0) * 0.18
        parts.append(
            f'<rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" fill="url(#stone)"/>'
            f'<rect x="{mid}" y="{y0}" width="{x1 - mid}" height="{y1 - y0}" '
            f'fill="url(#stoneShade)"/>'
        )
        if not simple:
            parts.append(
                f'<line x1="{x0 + 3}" y1="{y0 + 3}" x2="{mid - 2}" y2="{y0 + 3}" '
                'stroke="#fff3c4" stroke-width="3" stroke-linecap="round" opacity="0.8"/>'
            )
    # One outline around the whole silhouette, so the steps read as a single monument.
    outline = "M56 190 V166 H76 V142 H96 V118 H110 V98 H146 V118 H160 V142 H180 V166 H200 V190 Z"
    parts.append(f'<path d="{outline}" fill="none" stroke="{INK}" '
                 f'stroke-width="{10 if simple else 6}" stroke-linejoin="round"/>')
    if simple:
        return "\n".join(parts)
    # The stair up the middle and the shrine's door.
    parts.append('<rect x="119" y="118" width="18" height="72" fill="#8a4d14" opacity="0.55"/>')
    for y in range(124, 190, 8):
        parts.append(f'<line x1="119" y1="{y}" x2="137" y2="{y}" stroke="#ffe39a" '
                     'stroke-width="2" opacity="0.7"/>')
    parts.append(f'<path d="M121 118 V108 a7 7 0 0 1 14 0 V118 Z" fill="{INK}"/>')
    return "\n".join(parts)


def link_and_mark(simple=False):
    """The network arc with its two nodes, and the shaman's mark glowing at its crest."""
    arc = "M46 100 Q128 14 210 100"
    width = 10 if simple else 7
    parts = [
        f'<path d="{arc}" fill="none" stroke="{INK}" stroke-width="{width + 6}" '
        'stroke-linecap="round"/>',
        f'<path d="{arc}" fill="none" stroke="#7fe3ff" stroke-width="{width}" '
        'stroke-linecap="round"/>',
    ]
    r = 17 if simple else 13
    for x in (46, 210):
        parts.append(f'<circle cx="{x}" cy="100" r="{r}" fill="url(#node)" stroke="{INK}" '
                     'stroke-width="5"/>')
    if not simple:
        parts.append('<circle cx="128" cy="58" r="52" fill="url(#glow)"/>')
        for i in range(8):
            a = math.radians(i * 45 + 22.5)
            x1, y1 = 128 + 27 * math.cos(a), 58 + 27 * math.sin(a)
            x2, y2 = 128 + 40 * math.cos(a), 58 + 40 * math.sin(a)
            parts.append(f'<line x1="{x1:.1f}" y1="{y1:.1f}" x2="{x2:.1f}" y2="{y2:.1f}" '
                         'stroke="#fff4b0" stroke-width="4" stroke-linecap="round"/>')
    orb_r = 26 if simple else 21
    parts.append(f'<circle cx="128" cy="58" r="{orb_r}" fill="url(#orb)" stroke="{INK}" '
                 'stroke-width="5"/>')
    if not simple:
        # The mark itself: a spiral rune in the orb.
        parts.append('<path d="M128 58 a3 3 0 0 1 6 0 a6 6 0 0 1 -12 0 a9 9 0 0 1 18 0 '
                     'a12 12 0 0 1 -12 12" fill="none" stroke="#b4540c" stroke-width="3.2" '
                     'stroke-linecap="round"/>')
    return "\n".join(parts)


def island():
    return (
        '<ellipse cx="128" cy="196" rx="104" ry="24" fill="#f0d48c" stroke="#7a5a22" '
        'stroke-width="4"/>'
        '<ellipse cx="128" cy="190" rx="92" ry="17" fill="url(#grass)"/>'
    )


def sea(clip=None):
    """The sea below the horizon; the tile passes no clip (simple SVG renderers ignore clipping)
    and gets a shape that follows its own rounded corners instead."""
    waves = "".join(
        f'<path d="M{x} {y} q8 -5 16 0 t16 0" fill="none" stroke="#9fdcff" stroke-width="3" '
        'stroke-linecap="round" opacity="0.7"/>'
        for x, y in ((26, 222), (190, 226), (70, 234), (150, 238))
    )
    if clip is None:
        shape = "M10 184 H246 V204 A42 42 0 0 1 204 246 H52 A42 42 0 0 1 10 204 Z"
        return f'<path d="{shape}" fill="url(#sea)"/>{waves}'
    return (f'<g clip-path="url(#{clip})"><rect x="0" y="184" width="256" height="72" '
            f'fill="url(#sea)"/>{waves}</g>')


# The 16 x 16 icon is drawn pixel by pixel: at that size a scaled drawing only blurs.
ICON16 = [
    ".KKKKKKKKKKKKKK.",
    "KsssssoyyosssssK",
    "KssssoywwyossssK",
    "KssssccyyccssssK",
    "KSSScSSSSSScSSSK",
    "KSScSShhhdSScSSK",
    "KnnSShhhheeSSnnK",
    "KnnSSggggddSSnnK",
    "KTTThhhhheeeTTTK",
    "KTTTgggggdddTTTK",
    "KTThhhhhheeeeTTK",
    "KTTggggggddddTTK",
    "KbGGGGGGGGGGGGbK",
    "KbYYYYYYYYYYYYbK",
    "KBBBBBBBBBBBBBBK",
    ".KKKKKKKKKKKKKK.",
]
ICON16_COLOURS = {
    "K": INK, "s": "#111c56", "S": "#1d3f88", "T": "#2c64ad", "o": "#ffa726", "y": "#ffe36a",
    "w": "#ffffff", "c": "#7fe3ff", "n": "#f4fdff", "h": "#ffdf7e", "g": "#eeaa3c",
    "e": "#c07a26", "d": "#98561a", "G": "#4fae3a", "Y": "#f0d48c", "b": "#1d7fb8",
    "B": "#0c3a70",
}


def icon16_svg():
    rects = "".join(
        f'<rect x="{x}" y="{y}" width="1" height="1" fill="{ICON16_COLOURS[c]}"/>'
        for y, row in enumerate(ICON16) for x, c in enumerate(row) if c != "."
    )
    return svg_doc(16, 16, f'<g shape-rendering="crispEdges">{rects}</g>')


def icon_svg(size=256, simple=False):
    """The application icon: the emblem on a rounded tile of night sky and sea."""
    tile = "M52 10 H204 A42 42 0 0 1 246 52 V204 A42 42 0 0 1 204 246 H52 A42 42 0 0 1 10 204 " \
           "V52 A42 42 0 0 1 52 10 Z"
    defs = EMBLEM_DEFS
    stars = "" if simple else "".join(
        f'<circle cx="{x}" cy="{y}" r="{r}" fill="#fff" opacity="0.85"/>'
        for x, y, r in ((40, 40, 2.5), (216, 38, 2), (186, 64, 1.6), (70, 60, 1.6), (228, 140, 2),
                        (24, 150, 1.8))
    )
    body = (
        f'<path d="{tile}" fill="url(#sky)"/>'
        f'{stars}{sea()}{island()}{pyramid(simple)}{link_and_mark(simple)}'
        f'<path d="{tile}" fill="none" stroke="{INK}" stroke-width="{14 if simple else 8}"/>'
        f'<path d="{tile}" fill="none" stroke="#ffffff" stroke-opacity="0.25" stroke-width="3" '
        'transform="translate(128 128) scale(0.955) translate(-128 -128)"/>'
    )
    return svg_doc(size, size, body, "0 0 256 256", defs)


def emblem_body(clip_id):
    """The emblem on its own: a round medallion, used by the logo and the about box."""
    defs = EMBLEM_DEFS + f'<clipPath id="{clip_id}"><circle cx="128" cy="128" r="118"/></clipPath>'
    body = (
        '<circle cx="128" cy="128" r="118" fill="url(#sky)"/>'
        f'{sea(clip_id)}<g clip-path="url(#{clip_id})">{island()}</g>{pyramid()}'
        f'{link_and_mark()}'
        f'<circle cx="128" cy="128" r="118" fill="none" stroke="{INK}" stroke-width="8"/>'
        '<circle cx="128" cy="128" r="111" fill="none" stroke="#ffd46a" stroke-width="4" '
        'opacity="0.9"/>'
    )
    return defs, body


# ---------------------------------------------------------------------------------------------
# The logo: the medallion and the name, on a transparent ground that suits a grey form.

def logo_svg():
    edefs, ebody = emblem_body("medal")
    defs = edefs + """
<linearGradient id="gold" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#fff3b0"/><stop offset="0.45" stop-color="#f2b52e"/>
  <stop offset="0.55" stop-color="#d98a14"/><stop offset="1" stop-color="#f6c44a"/>
</linearGradient>
<linearGradient id="band" x1="0" y1="0" x2="1" y2="0">
  <stop offset="0" stop-color="#1c2f6e" stop-opacity="0"/>
  <stop offset="0.15" stop-color="#1c2f6e" stop-opacity="0.9"/>
  <stop offset="1" stop-color="#1c2f6e" stop-opacity="0.9"/>
</linearGradient>
<filter id="shadow" x="-10%" y="-10%" width="130%" height="140%">
  <feGaussianBlur stdDeviation="2.2"/>
</filter>
"""
    font = ('font-family="DejaVu Serif Condensed" font-weight="bold" font-size="63" '
            'letter-spacing="1" text-anchor="middle"')
    word = "Velkor"
    x, y = 236, 76
    body = f"""
<text x="{x + 3}" y="{y + 4}" {font} fill="#000" opacity="0.45" filter="url(#shadow)">{word}</text>
<text x="{x}" y="{y}" {font} fill="none" stroke="{INK}" stroke-width="7"
      stroke-linejoin="round">{word}</text>
<text x="{x}" y="{y}" {font} fill="url(#gold)" stroke="#7a4208" stroke-width="1.2">{word}</text>
<rect x="126" y="88" width="218" height="18" rx="3" fill="url(#band)"/>
<text x="237" y="101" font-family="DejaVu Sans" font-weight="bold" font-size="10.5"
      letter-spacing="2.2" text-anchor="middle" fill="#ffe8a0">MULTIPLAYER LAUNCHER</text>
<g transform="translate(4 8) scale(0.4375)">{ebody}</g>
"""
    return svg_doc(350, 128, body, defs=defs)


# ---------------------------------------------------------------------------------------------
# The shaman markers: a small robed figure raising a pulsing orb of the tribe's colour.

TRIBES = {
    "BlueSha": ("#2f6fe6", "#173a8a", "#bfe0ff"),
    "RedSha": ("#e0392a", "#7c160e", "#ffc4a8"),
    "yellowsha": ("#f0c020", "#8a6200", "#fff6b0"),
    "Greensha": ("#2fae4c", "#125c22", "#c8ffb8"),
}
FRAMES = 8


def shaman_svg(robe, dark, light, frame):
    """One frame in a 62 x 62 box (rendered at 31 x 31): the figure bobs, the orb pulses."""
    phase = 2 * math.pi * frame / FRAMES
    pulse = (1 - math.cos(phase)) / 2  # 0 .. 1
    bob = -2.0 * pulse  # up to one pixel
    orb_r = 5.0 + 1.6 * pulse
    ink = "#140c08"
    defs = f"""
<linearGradient id="robe" x1="0" y1="0" x2="1" y2="0">
  <stop offset="0" stop-color="{light}"/><stop offset="0.35" stop-color="{robe}"/>
  <stop offset="1" stop-color="{dark}"/>
</linearGradient>
<radialGradient id="orb" cx="0.4" cy="0.38" r="0.7">
  <stop offset="0" stop-color="#ffffff"/><stop offset="0.5" stop-color="{light}"/>
  <stop offset="1" stop-color="{robe}"/>
</radialGradient>
"""
    cx, cy = 31, 12
    # Rays only fan upwards, clear of the head, and sweep a little from frame to frame.
    rays = ""
    for i in range(5):
        a = math.radians(-180 + 18 + i * 36 + 6 * math.sin(phase))
        r1, r2 = orb_r + 2.2, orb_r + 3.8 + 1.6 * pulse
        rays += (f'<line x1="{cx + r1 * math.cos(a):.2f}" y1="{cy + r1 * math.sin(a):.2f}" '
                 f'x2="{cx + r2 * math.cos(a):.2f}" y2="{cy + r2 * math.sin(a):.2f}" '
                 f'stroke="{robe}" stroke-width="2.6" stroke-linecap="round"/>')
    arms = "M23 38 L14 29 L21 19 M39 38 L48 29 L41 19"
    body = f"""
<g transform="translate(0 {bob:.2f})">
  <path d="{arms}" fill="none" stroke="{ink}" stroke-width="6.4" stroke-linecap="round"
        stroke-linejoin="round"/>
  <path d="{arms}" fill="none" stroke="#c98a55" stroke-width="3.2" stroke-linecap="round"
        stroke-linejoin="round"/>
  <path d="M31 34 C25 34 22 36 21 40 L15 60 H47 L41 40 C40 36 37 34 31 34 Z"
        fill="url(#robe)" stroke="{ink}" stroke-width="2.4" stroke-linejoin="round"/>
  <path d="M20.5 47 H41.5" stroke="{dark}" stroke-width="2.4"/>
  <circle cx="31" cy="39.5" r="1.8" fill="{light}"/>
  <circle cx="31" cy="29.5" r="5.4" fill="#c98a55" stroke="{ink}" stroke-width="2.4"/>
  <path d="M25.2 28.5 Q31 19.5 36.8 28.5 Z" fill="{robe}" stroke="{ink}" stroke-width="2"
        stroke-linejoin="round"/>
</g>
<g transform="translate(0 {bob * 0.5:.2f})">
  {rays}
  <circle cx="{cx}" cy="{cy}" r="{orb_r:.2f}" fill="url(#orb)" stroke="{ink}" stroke-width="2"/>
</g>
"""
    return svg_doc(31, 31, body, "0 0 62 62", defs)


# ---------------------------------------------------------------------------------------------

def main():
    for tool in ("rsvg-convert", "convert", "fc-match"):
        if not shutil.which(tool):
            sys.exit(f"make_art: {tool} is missing (Debian: librsvg2-bin, imagemagick, fontconfig)")
    # A missing font would be replaced silently by another one, and the logo would change.
    for pattern, file in (("DejaVu Serif Condensed:bold", "DejaVuSerifCondensed-Bold.ttf"),
                          ("DejaVu Sans:bold", "DejaVuSans-Bold.ttf")):
        found = subprocess.run(["fc-match", "-f", "%{file}", pattern], capture_output=True,
                               text=True, check=True).stdout
        if not found.endswith(file):
            sys.exit(f"make_art: font {file} is missing "
                     "(Debian: fonts-dejavu-core, fonts-dejavu-extra)")

    def out(name):
        return os.path.join(HERE, name)

    with open(out("ICON1.svg"), "w") as f:
        f.write(icon_svg())
    run("rsvg-convert", "-w", "256", "-h", "256", "-o", out("ICON1.png"), out("ICON1.svg"))
    for size in (16, 24, 32, 48, 64, 128, 256):
        folder = out(f"icons/hicolor/{size}x{size}/apps")
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, "velkor.png")
        if size == 16:
            rasterise(icon16_svg(), target, 16, 16)
        else:
            # Small sizes drop the glow, stars and carving and thicken the lines, which would blur.
            rasterise(icon_svg(size, simple=size <= 32), target, size, size)

    # The logo and the figures are drawn twice: for ordinary screens and, named "@2x", for screens
    # of two device pixels to a pixel, where Qt shows those instead of scaling the first up.
    for suffix, scale in (("", 1), ("@2x", 2)):
        rasterise(logo_svg(), out(f"logo{suffix}.png"), 350 * scale, 128 * scale)

    with tempfile.TemporaryDirectory() as tmp:
        defs, body = emblem_body("medal")
        big = os.path.join(tmp, "emblem.png")
        rasterise(svg_doc(80, 80, body, "0 0 256 256", defs), big, 80, 80)
        flat = os.path.join(tmp, "emblem_gif.png")
        png_for_gif(big, flat)
        run("convert", flat, "-background", "none", "+dither", "-colors", "255", out("about.gif"))

        for (name, colours), (suffix, scale) in itertools.product(TRIBES.items(),
                                                                  (("", 1), ("@2x", 2))):
            frames = []
            for i in range(FRAMES):
                raw = os.path.join(tmp, f"{name}{suffix}_{i}.png")
                rasterise(shaman_svg(*colours, i), raw, 31 * scale, 31 * scale)
                flat = os.path.join(tmp, f"{name}{suffix}_{i}_gif.png")
                png_for_gif(raw, flat)
                frames.append(flat)
            run("convert", "-delay", "12", "-dispose", "Background", "-loop", "0", *frames,
                "+dither", "-colors", "255", out(f"{name}{suffix}.gif"))


if __name__ == "__main__":
    main()
