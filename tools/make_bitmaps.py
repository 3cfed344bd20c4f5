#!/usr/bin/env python3
"""Draws the stand-in resource libraries' bitmaps as small 24-bit BI_RGB BMP files (and the
preview library's magnifier cursor).

Run it after adding a picture; its output is committed beside the resource scripts. With
--tests DIR it writes the pictures and the icon of the controls' tests into DIR, as the build
does.
"""
import math
import os
import struct
import sys

FACE = (192, 192, 192)  # the button face grey that the pictures sit on


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), with y = 0 the top row."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - width * 3)
        rows.append(bytes(row))
    image = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset))
        f.write(header)
        f.write(image)


def disc(colour, size=16):
    """A shaded disc on the button face: the state lights of the company list."""
    c = (size - 1) / 2
    radius = size / 2 - 1.5

    def pixel(x, y):
        d = math.hypot(x - c, y - c)
        if d > radius + 0.5:
            return FACE
        if d > radius - 0.5:
            return tuple(v // 2 for v in colour)  # dark rim
        light = max(0.0, 1 - math.hypot(x - c + 2, y - c + 2) / radius)
        return tuple(min(255, int(v + (255 - v) * light * 0.6)) for v in colour)

    return size, size, pixel


# The tick of a checked box: (x, y) inside the 16 x 16 picture.
TICK = {(4 + i, 7 + i) for i in range(3)} | {(6 + i, 9 - i) for i in range(5)}
TICK |= {(x, y + 1) for x, y in TICK}


def check_box(checked, enabled=True):
    """A sunken 13 x 13 check box on the button face, as Windows draws one; ticked or empty.
    A disabled box has a face-coloured inside."""
    left, top, right, bottom = 1, 1, 13, 13

    def pixel(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return FACE
        if x == left or y == top:
            return (128, 128, 128) if x < right and y < bottom else (255, 255, 255)
        if x == right or y == bottom:
            return (255, 255, 255)
        if x == left + 1 or y == top + 1:
            return (0, 0, 0) if x < right - 1 and y < bottom - 1 else FACE
        if x == right - 1 or y == bottom - 1:
            return FACE
        if checked and (x, y) in TICK:
            return (0, 0, 0) if enabled else (128, 128, 128)
        return (255, 255, 255) if enabled else FACE

    return 16, 16, pixel


class Icon:
    """A small picture drawn from shapes in pixel coordinates (0..size), each shape blended
    over what is below it by how much of the pixel it covers (4 x 4 samples a pixel)."""

    SAMPLES = 4

    def __init__(self, size=20, ground=FACE, height=None):
        self.size = size
        self.height = height or size
        self.ground = ground
        self.shapes = []

    def add(self, inside, colour):
        self.shapes.append((inside, colour))
        return self

    def rect(self, x0, y0, x1, y1, colour):
        return self.add(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour)

    def frame(self, x0, y0, x1, y1, width, colour):
        def inside(x, y):
            outer = x0 <= x <= x1 and y0 <= y <= y1
            inner = x0 + width < x < x1 - width and y0 + width < y < y1 - width
            return outer and not inner
        return self.add(inside, colour)

    def circle(self, cx, cy, r, colour):
        return self.add(lambda x, y: math.hypot(x - cx, y - cy) <= r, colour)

    def ring(self, cx, cy, r, width, colour, part=None):
        """`part(x, y)` limits the ring to where it holds (an arc)."""
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            return abs(d - r) <= width / 2 and (part is None or part(x, y))
        return self.add(inside, colour)

    def line(self, points, width, colour):
        """A polyline of the given width with round ends."""
        segments = list(zip(points, points[1:]))

        def distance(x, y, a, b):
            (ax, ay), (bx, by) = a, b
            dx, dy = bx - ax, by - ay
            t = 0 if dx == dy == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - ax - t * dx, y - ay - t * dy)

        return self.add(lambda x, y: any(distance(x, y, a, b) <= width / 2 for a, b in segments), colour)

    def polygon(self, points, colour):
        def inside(x, y):
            result = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    result = not result
            return result
        return self.add(inside, colour)

    def picture(self):
        n = self.SAMPLES
        offsets = [(i + 0.5) / n for i in range(n)]

        def pixel(px, py):
            colour = self.ground
            for inside, shape_colour in self.shapes:
                hits = sum(1 for ox in offsets for oy in offsets if inside(px + ox, py + oy))
                if hits:
                    a = hits / (n * n)
                    colour = tuple(round(c * (1 - a) + s * a) for c, s in zip(colour, shape_colour))
            # The top-left pixel is the transparent colour: it stays exactly the ground.
            return self.ground if (px, py) == (0, 0) else colour

        return self.size, self.height, pixel


DARK = (48, 48, 48)
WHITE = (255, 255, 255)
GREEN = (0, 136, 0)
NAVY = (0, 0, 128)


def small_box(icon, top, ticked):
    """A check box of one row of a list, with its text line."""
    icon.rect(1.5, top, 6.5, top + 5, WHITE).frame(1.5, top, 6.5, top + 5, 0.9, DARK)
    if ticked:
        icon.line([(2.6, top + 2.6), (3.9, top + 3.9), (6.2, top + 0.8)], 1.3, GREEN)
    icon.line([(9, top + 2.5), (18, top + 2.5)], 1.6, NAVY)


def mark_one():
    """Marcar/Desmarcar: a check box with a bold tick."""
    icon = Icon()
    icon.rect(2.5, 4.5, 14.5, 16.5, WHITE).frame(2.5, 4.5, 14.5, 16.5, 1.2, DARK)
    icon.line([(5, 10.5), (8.3, 13.8), (17, 2.8)], 2.6, GREEN)
    return icon.picture()


def mark_list(ticked):
    """Todas / Ninguna: three rows of a list, all ticked or all empty."""
    icon = Icon()
    for top in (2, 8, 14):
        small_box(icon, top, ticked)
    if not ticked:
        icon.line([(12, 12), (18.5, 18.5)], 1.8, (200, 0, 0)).line([(18.5, 12), (12, 18.5)], 1.8, (200, 0, 0))
    return icon.picture()


def step_done():
    """A step of a report run that has ended: a green tick."""
    icon = Icon(size=16)
    icon.line([(2.5, 8.5), (6.3, 12.3), (13.5, 3.5)], 2.4, GREEN)
    return icon.picture()


def step_pending():
    """A step of a report run that has not ended yet: a grey ring."""
    icon = Icon(size=16)
    icon.ring(8, 8, 3.6, 1.6, (112, 112, 112))
    return icon.picture()


def padlock_open():
    """Liberar: an open padlock."""
    icon = Icon()
    steel = (96, 96, 110)
    icon.ring(8.5, 6.5, 3.6, 1.9, steel, part=lambda x, y: y <= 6.5)
    icon.line([(4.9, 6.5), (4.9, 10)], 1.9, steel)
    icon.line([(12.1, 6.5), (12.1, 7.5)], 1.9, steel)
    icon.rect(3, 9.5, 16.5, 18.5, (224, 172, 36)).frame(3, 9.5, 16.5, 18.5, 0.9, (120, 80, 0))
    icon.circle(9.75, 13, 1.4, DARK).line([(9.75, 13), (9.75, 16.2)], 1.1, DARK)
    return icon.picture()


def magnifier():
    """Buscar: a magnifying glass."""
    icon = Icon()
    icon.circle(8, 8, 5, (205, 232, 255))
    icon.ring(8, 8, 5.2, 1.9, (60, 60, 70))
    icon.ring(6.8, 6.8, 2.6, 1.0, WHITE, part=lambda x, y: x + y < 12.5)
    icon.line([(11.9, 11.9), (17.8, 17.8)], 3.2, (128, 72, 24))
    return icon.picture()


def gear():
    """Generar: a gear wheel."""
    icon = Icon()
    cx, cy, teeth = 10, 10, 8
    points = []
    for i in range(teeth * 4):
        angle = 2 * math.pi * (i - 0.5) / (teeth * 4)
        r = 9.2 if (i % 4) in (1, 2) else 6.8
        points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    icon.polygon(points, (60, 96, 160))
    icon.ring(cx, cy, 5.2, 0.8, (140, 170, 220))
    icon.circle(cx, cy, 2.4, FACE).ring(cx, cy, 2.4, 0.8, (30, 50, 90))
    return icon.picture()


def font_letter():
    """Fuentes: a large serif A beside a small red a."""
    icon = Icon()
    icon.line([(2.5, 17.5), (8, 2.5), (13.5, 17.5)], 2.4, NAVY)
    icon.line([(4.7, 12.2), (11.3, 12.2)], 1.6, NAVY)
    icon.line([(1, 18), (4.5, 18)], 1.4, NAVY).line([(11.5, 18), (15, 18)], 1.4, NAVY)
    red = (200, 0, 0)
    icon.ring(16.2, 15.6, 2.3, 1.3, red).line([(18.5, 12.8), (18.5, 18.4)], 1.3, red)
    return icon.picture()


def exit_door():
    """Cerrar: an open door with an arrow going out."""
    icon = Icon()
    wood = (150, 90, 40)
    icon.frame(2.5, 1.5, 12.5, 19, 1.2, (90, 60, 30))
    icon.rect(3.7, 2.7, 11.3, 18, (40, 40, 40))
    icon.polygon([(3.7, 2.7), (9.5, 4.8), (9.5, 19.8), (3.7, 18)], wood)
    icon.circle(8.3, 11.5, 0.8, (250, 220, 80))
    icon.line([(10.5, 10.5), (16.5, 10.5)], 2.2, GREEN)
    icon.polygon([(15, 6.5), (19.6, 10.5), (15, 14.5)], GREEN)
    return icon.picture()
def info_sign(size=32):
    """A blue disc with a white "i": the information picture of the progress dialogs."""
    c = (size - 1) / 2
    radius = size / 2 - 1.5
    blue = (0, 70, 190)

    def pixel(x, y):
        d = math.hypot(x - c, y - c)
        if d > radius + 0.5:
            return FACE
        if d > radius - 0.5:
            return (0, 35, 95)
        dot = math.hypot(x - c, y - size * 0.28) <= size * 0.08
        stem = abs(x - c) <= size * 0.07 and size * 0.42 <= y <= size * 0.78
        return (255, 255, 255) if dot or stem else blue

    return size, size, pixel


def bar_header():
    """The header of a left button bar: the product's mark on its green pane."""
    pane = (0, 108, 67)  # the bar's pane colour, 4418560
    icon = Icon(size=100, height=56, ground=pane)
    icon.rect(0, 0, 100, 56, pane)
    icon.rect(0, 50, 100, 53, (255, 255, 0))
    # A large V of two strokes and a small ring: the maker's mark.
    icon.line([(18, 10), (30, 40), (42, 10)], 5, WHITE)
    icon.ring(30, 40, 3.2, 1.5, (255, 255, 0))
    for i, y in enumerate((14, 22, 30, 38)):
        icon.line([(52, y), (92 - i * 8, y)], 3, (190, 230, 200))
    return icon.picture()


def stop_sign():
    """The lock question: a red octagon with a white bar."""
    icon = Icon(size=32)
    c, r = 15.5, 14.5
    points = [(c + r * math.cos(math.radians(22.5 + 45 * k)), c + r * math.sin(math.radians(22.5 + 45 * k)))
              for k in range(8)]
    icon.polygon(points, (128, 0, 0))
    inner = [(c + (r - 1.6) * math.cos(math.radians(22.5 + 45 * k)),
              c + (r - 1.6) * math.sin(math.radians(22.5 + 45 * k))) for k in range(8)]
    icon.polygon(inner, (214, 24, 24))
    icon.rect(7.5, 13.5, 23.5, 17.5, WHITE)
    return icon.picture()


def bomb():
    """The delete confirmation: a black bomb with a lit fuse."""
    icon = Icon(size=32)
    icon.circle(14, 19, 10, (24, 24, 28))
    icon.circle(10.5, 15.5, 2.6, (110, 110, 120))
    icon.rect(19, 7, 24, 11, (60, 60, 66))
    icon.line([(22, 8), (24.5, 4.5), (27.5, 3.5)], 1.4, (150, 110, 60))
    icon.circle(28, 3.2, 2.2, (255, 200, 0))
    icon.circle(28, 3.2, 1.0, (255, 80, 0))
    return icon.picture()


def key(icon, x, y, scale, colour=(224, 172, 36), edge=(120, 80, 0)):
    """A door key lying from its bow at (x, y) to the right."""
    icon.ring(x, y, 4.2 * scale, 2.6 * scale, edge)
    icon.ring(x, y, 4.2 * scale, 1.6 * scale, colour)
    icon.line([(x + 4.2 * scale, y), (x + 17 * scale, y)], 2.6 * scale, edge)
    icon.line([(x + 4.2 * scale, y), (x + 17 * scale, y)], 1.6 * scale, colour)
    for tooth in (12, 15.5):
        icon.line([(x + tooth * scale, y), (x + tooth * scale, y + 3.2 * scale)], 1.8 * scale, edge)
    return icon


def login_picture(pane, accent, mark):
    """The picture beside the list of users in the log-in dialog: the product's pane with its
    mark above and a key below."""
    icon = Icon(size=64, height=112, ground=pane)
    icon.rect(0, 0, 64, 112, pane)
    for i in range(8):
        icon.rect(0, 14 * i, 64, 14 * i + 6, tuple(min(255, c + 12) for c in pane))
    mark(icon)
    icon.rect(0, 104, 64, 107, accent)
    key(icon, 16, 84, 1.8)
    return icon.picture()


def vdr_mark(icon):
    icon.line([(14, 16), (32, 58), (50, 16)], 7, WHITE)
    icon.ring(32, 58, 4.6, 2.2, (255, 255, 0))


def suite_mark(icon):
    icon.ring(32, 36, 17, 6, WHITE)
    icon.line([(40, 46), (52, 60)], 6, WHITE)


def logo():
    """The maker's logo of the suite's questions: a ring and its tail over a blue disc."""
    icon = Icon(size=32)
    icon.circle(15.5, 15.5, 15, (0, 70, 190))
    icon.ring(14.5, 14, 7, 3, WHITE)
    icon.line([(18.5, 18.5), (24, 24.5)], 3, WHITE)
    return icon.picture()


def document_page():
    """Documentación adicional: a written page with a folded corner."""
    icon = Icon(size=16)
    icon.polygon([(2.5, 0.5), (10.5, 0.5), (13.5, 3.5), (13.5, 15.5), (2.5, 15.5)], DARK)
    icon.polygon([(3.5, 1.5), (10, 1.5), (12.5, 4), (12.5, 14.5), (3.5, 14.5)], WHITE)
    icon.polygon([(10, 1.5), (12.5, 4), (10, 4)], (190, 190, 190))
    for y in (6.5, 8.5, 10.5, 12.5):
        icon.line([(5, y), (11, y)], 0.9, NAVY)
    return icon.picture()


def calendar_magnifier():
    """Calendario: a calendar sheet with its red top and a magnifying glass over it."""
    icon = Icon()
    icon.rect(1, 2, 14, 15, WHITE)
    icon.frame(1, 2, 14, 15, 1, (60, 60, 70))
    icon.rect(1, 2, 14, 5, (200, 30, 30))
    for y in (7.5, 10, 12.5):
        for x in (3.5, 6.5, 9.5, 12):
            icon.circle(x, y, 0.7, (60, 60, 70))
    icon.circle(13, 13, 3.6, (205, 232, 255))
    icon.ring(13, 13, 3.8, 1.4, (60, 60, 70))
    icon.line([(15.6, 15.6), (19.2, 19.2)], 2.6, (128, 72, 24))
    return icon.picture()


def about_sign():
    """Acerca de: the information sign, small."""
    return info_sign(16)


def swatch(colour):
    """A concept's colour in the year planner's list: a square of it framed in black."""
    def pixel(x, y):
        return (0, 0, 0) if x in (0, 15) or y in (0, 15) else colour
    return 16, 16, pixel


# The year planner's concept colours (Windows RGB values as r, g, b).
SWATCHES = {
    "bm_negro": (0, 0, 0), "bm_rosa": (128, 0, 128), "bm_rosaclaro": (255, 0, 255),
    "bm_cyan": (0, 128, 128), "bm_cyanclaro": (0, 255, 255), "bm_rojoclaro": (255, 0, 0),
    "bm_verde": (0, 128, 0), "bm_verdeclaro": (0, 255, 0), "bm_blanco": (255, 255, 255),
    "bm_gris": (192, 192, 192), "bm_marron": (128, 128, 0), "bm_rojo": (128, 0, 0),
    "bm_amarillo": (255, 255, 0), "bm_grisclaro": (128, 128, 128), "bm_azul": (0, 0, 128),
    "bm_azulclaro": (0, 0, 255),
}

# ---- the user maintenance, the access map and the colour editor ------------------------------

def person(icon, x, y, scale=1.0, colour=(40, 90, 170)):
    """A head and shoulders."""
    icon.circle(x, y, 2.6 * scale, (236, 190, 150)).ring(x, y, 2.6 * scale, 0.7, (120, 80, 50))
    icon.polygon([(x - 4.6 * scale, y + 9 * scale), (x - 4 * scale, y + 4.4 * scale), (x, y + 3.2 * scale),
                  (x + 4 * scale, y + 4.4 * scale), (x + 4.6 * scale, y + 9 * scale)], colour)
    return icon


def user_sign(badge):
    """A user with a badge at the lower right: "add", "edit", "delete", "zoom", "config", "map"."""
    icon = person(Icon(), 8, 5)
    red = (200, 0, 0)
    if badge == "add":
        icon.line([(15, 11.5), (15, 18.5)], 2.4, GREEN).line([(11.5, 15), (18.5, 15)], 2.4, GREEN)
    elif badge == "edit":
        icon.line([(11, 18.5), (18.5, 11)], 3, (224, 172, 36)).line([(10.3, 19.2), (11.6, 17.9)], 1.6, DARK)
    elif badge == "delete":
        icon.line([(12, 12), (18.5, 18.5)], 2.4, red).line([(18.5, 12), (12, 18.5)], 2.4, red)
    elif badge == "zoom":
        icon.circle(14.5, 14, 3.4, (205, 232, 255)).ring(14.5, 14, 3.4, 1.3, (60, 60, 70))
        icon.line([(16.9, 16.4), (19.3, 18.8)], 2, (128, 72, 24))
    elif badge == "config":
        points = []
        for i in range(24):
            angle = 2 * math.pi * (i - 0.5) / 24
            r = 5 if (i % 4) in (1, 2) else 3.7
            points.append((14.8 + r * math.cos(angle), 14.8 + r * math.sin(angle)))
        icon.polygon(points, (60, 96, 160)).circle(14.8, 14.8, 1.5, FACE)
    elif badge == "map":
        icon.rect(11, 10.5, 19, 19, WHITE).frame(11, 10.5, 19, 19, 0.8, DARK)
        for y, c in ((12.8, GREEN), (15, (224, 172, 36)), (17.2, red)):
            icon.rect(12.3, y - 0.7, 13.7, y + 0.7, c).line([(14.8, y), (18, y)], 0.8, NAVY)
    return icon.picture()


def report_sheet():
    """A report: a sheet with a heading and columns of figures."""
    icon = Icon()
    icon.rect(3.5, 1.5, 16.5, 18.5, DARK).rect(4.5, 2.5, 15.5, 17.5, WHITE)
    icon.rect(5.5, 3.5, 14.5, 5.5, NAVY)
    for y in (8, 10.5, 13, 15.5):
        icon.line([(6, y), (9.5, y)], 0.9, (120, 120, 150)).line([(11, y), (14, y)], 0.9, (200, 0, 0))
    return icon.picture()


def user_group():
    """Grupos de usuarios: three users together."""
    icon = Icon()
    person(icon, 5, 6, 0.8, (0, 120, 80))
    person(icon, 15, 6, 0.8, (160, 60, 40))
    person(icon, 10, 8.5, 1.0, (40, 90, 170))
    return icon.picture()


def folder(opened):
    """A folder of the access-map tree, closed or open."""
    icon = Icon(size=16)
    yellow, edge = (240, 200, 80), (150, 110, 20)
    icon.polygon([(1, 3), (6, 3), (7.5, 4.5), (14.5, 4.5), (14.5, 13.5), (1, 13.5)], edge)
    icon.polygon([(1.8, 3.8), (5.7, 3.8), (7.2, 5.3), (13.7, 5.3), (13.7, 12.7), (1.8, 12.7)], yellow)
    if opened:
        icon.polygon([(1, 13.5), (4, 7), (16, 7), (13.5, 13.5)], edge)
        icon.polygon([(2.2, 12.8), (4.6, 7.8), (14.8, 7.8), (13, 12.8)], (255, 230, 140))
    return icon.picture()


def level_sign(level):
    """A leaf of the access-map tree: "2" a green tick, "1" an eye (read only), "0" a red bar."""
    icon = Icon(size=16)
    if level == 2:
        icon.circle(7.5, 7.5, 6.8, GREEN).line([(4, 7.8), (6.6, 10.4), (11.2, 4.6)], 1.8, WHITE)
    elif level == 1:
        icon.circle(7.5, 7.5, 6.8, (224, 172, 36))
        icon.polygon([(2.5, 7.5), (5, 5), (10, 5), (12.5, 7.5), (10, 10), (5, 10)], WHITE)
        icon.circle(7.5, 7.5, 1.8, DARK)
    else:
        icon.circle(7.5, 7.5, 6.8, (200, 0, 0)).rect(3.5, 6.3, 11.5, 8.7, WHITE)
    return icon.picture()


def access_keys():
    """The access map's picture: a key over a shield."""
    icon = Icon(size=32)
    icon.polygon([(16, 2), (28, 6), (27, 17), (16, 29), (5, 17), (4, 6)], (0, 70, 190))
    icon.polygon([(16, 4.5), (25.8, 7.8), (25, 16.5), (16, 26.5), (7, 16.5), (6.2, 7.8)], (90, 150, 230))
    key(icon, 9, 10, 1.4)
    return icon.picture()


USER_PICTURES = {
    "pbmpadd1.bmp": user_sign("add"),
    "pbmpmod1.bmp": user_sign("edit"),
    "pbmpdel1.bmp": user_sign("delete"),
    "pbmpzoo1.bmp": user_sign("zoom"),
    "pbmpcon1.bmp": user_sign("config"),
    "pbmpmap1.bmp": user_sign("map"),
    "ti_informe.bmp": report_sheet(),
    "gusuario.bmp": user_group(),
    "bmpclose.bmp": folder(False),
    "bmpopen.bmp": folder(True),
    "bmpenable.bmp": level_sign(2),
    "bmpreadonly.bmp": level_sign(1),
    "bmpdisable.bmp": level_sign(0),
    "bmp_accesos.bmp": access_keys(),
}


PICTURES = {
    "bmpverde.bmp": disc((0, 160, 0)),
    "bmprojo.bmp": disc((208, 0, 0)),
    "bmpchecked.bmp": check_box(True),
    "bmpunchecked.bmp": check_box(False),
    "bmpnochk.bmp": check_box(False, enabled=False),
    # The organisation window's bar buttons.
    "pbmpmar1.bmp": mark_one(),
    "pbmpmgr1.bmp": mark_list(True),
    "pbmprem1.bmp": mark_list(False),
    "pbmpsav1.bmp": padlock_open(),
    "pbmpfin1.bmp": magnifier(),
    "generar.bmp": gear(),
    "pbmpfon1.bmp": font_letter(),
    "pbmpend1.bmp": exit_door(),
    "bmp_informacion.bmp": info_sign(),
    # The steps of a report run's wait dialog.
    "ti_done.bmp": step_done(),
    "ti_undone.bmp": step_pending(),
    # The header picture of a left button bar (resource 24004).
    "barheader.bmp": bar_header(),
    # The table layer's questions.
    "bmp_stop.bmp": stop_sign(),
    "bmp_bomba.bmp": bomb(),
    # The log-in: the picture of this program and of the suite's other programs, and the
    # logo of the questions.
    "bmpentvdre.bmp": login_picture((0, 108, 67), (255, 255, 0), vdr_mark),
    "bmpentrada_zafre.bmp": login_picture((20, 60, 140), (255, 200, 0), suite_mark),
    "bmp_logo_qz.bmp": logo(),
    # Pictures of the help menu.
    "docadic.bmp": document_page(),
    "acerca.bmp": about_sign(),
    # The group picker of the user dialog.
    "lupa.bmp": magnifier(),
    # The calendar button of the working-date dialog.
    "lupadate.bmp": calendar_magnifier(),
    **{name + ".bmp": swatch(colour) for name, colour in SWATCHES.items()},
    **USER_PICTURES,
}


def write_ico(path, size, pixel):
    """A one-image icon of size x size, 32 bits a pixel, its AND mask all clear."""
    xor = b"".join(bytes((b, g, r, 255)) for y in range(size - 1, -1, -1)
                   for (r, g, b) in (pixel(x, y) for x in range(size)))
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16))
        f.write(image)


MAGENTA = (255, 0, 255)

# The controls' tests: pictures of 16, 32 and 48 pixels, made by the build.
TEST_PICTURES = {
    # Steps of 5 in red across and green down: every pixel tells where it lies.
    "prueba48.bmp": (48, 48, lambda x, y: (x * 5, y * 5, 128)),
    # A blue square on magenta, the top-left colour: the transparent pictures.
    "prueba32.bmp": (32, 32, lambda x, y: (0, 0, 255) if 8 <= x < 24 and 8 <= y < 24 else MAGENTA),
    "prueba16.bmp": disc((0, 0, 200)),
}


def test_icon(x, y):
    """A green square with a white cross."""
    if 14 <= x < 18 or 14 <= y < 18:
        return (255, 255, 255)
    return (0, 140, 60)


# ---- the preview library (VxPrev32.dll) ----------------------------------------------------

RED = (190, 0, 0)


def page(icon, x0, y0, x1, y1):
    """A white sheet with lines of text."""
    icon.rect(x0, y0, x1, y1, DARK).rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, WHITE)
    y = y0 + 3
    while y < y1 - 2:
        icon.line([(x0 + 2.5, y), (x1 - 2.5, y)], 0.8, (120, 120, 150))
        y += 2.5
    return icon


def arrow(direction, bar):
    """Navigation: a triangle pointing left or right, with a stop bar for the first and last."""
    icon = Icon()
    if direction < 0:
        icon.polygon([(14.5, 4), (5.5, 10), (14.5, 16)], NAVY)
        if bar:
            icon.rect(3, 4, 5, 16, NAVY)
    else:
        icon.polygon([(5.5, 4), (14.5, 10), (5.5, 16)], NAVY)
        if bar:
            icon.rect(15, 4, 17, 16, NAVY)
    return icon.picture()


def zoom_glass(plus):
    icon = Icon()
    icon.circle(8, 8, 5.6, WHITE)
    icon.ring(8, 8, 5.6, 1.8, (60, 60, 70))
    icon.line([(5, 8), (11, 8)], 1.6, RED)
    if plus:
        icon.line([(8, 5), (8, 11)], 1.6, RED)
    icon.line([(12.3, 12.3), (18, 18)], 3.2, (128, 72, 24))
    return icon.picture()


def pages(count):
    icon = Icon()
    if count == 1:
        page(icon, 5, 2, 15, 18)
    else:
        page(icon, 1.5, 3, 9.5, 17)
        page(icon, 10.5, 3, 18.5, 17)
    return icon.picture()


def printer():
    icon = Icon()
    page(icon, 5, 1.5, 15, 9)
    icon.rect(2, 8, 18, 15, (90, 90, 100)).rect(3, 9, 17, 14, (170, 170, 180))
    icon.rect(5, 12.5, 15, 18.5, WHITE).frame(5, 12.5, 15, 18.5, 0.8, DARK)
    icon.circle(15.5, 10.5, 0.8, GREEN)
    return icon.picture()


PREVIEW_PICTURES = {
    "top.bmp": arrow(-1, True),
    "previous.bmp": arrow(-1, False),
    "next.bmp": arrow(1, False),
    "bottom.bmp": arrow(1, True),
    "zoom.bmp": zoom_glass(True),
    "unzoom.bmp": zoom_glass(False),
    "two_pages.bmp": pages(2),
    "one_page.bmp": pages(1),
    "printer.bmp": printer(),
    "exit.bmp": exit_door(),
}


def write_cursor(path, size, hotspot, shape):
    """A monochrome .CUR file; shape(x, y) -> None (transparent), 0 (black) or 1 (white)."""
    stride = 4  # 32 pixels of one bit, a row padded to 4 bytes
    xor, mask = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        xrow, mrow = 0, 0
        for x in range(size):
            v = shape(x, y)
            bit = 1 << (31 - x)
            if v is None:
                mrow |= bit
            elif v == 1:
                xrow |= bit
        xor += xrow.to_bytes(stride, "big")
        mask += mrow.to_bytes(stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1],
                                                           len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + image)


def lupa(x, y):
    """The preview's cursor over a page: a magnifying glass, its hot spot the lens's centre."""
    d = math.hypot(x - 10, y - 10)
    if d <= 6:
        return 1
    if d <= 8.5:
        return 0
    if 15 <= x <= 27 and abs((y - x)) <= 2 and x >= 15:
        return 0
    return None


def main(folder=None):
    here = os.path.join(os.path.dirname(__file__), "..", "standins")
    targets = [(folder or os.path.join(here, "vdre", "bitmaps"), PICTURES)]
    if folder is None:
        targets.append((os.path.join(here, "vxprev32", "bitmaps"), PREVIEW_PICTURES))
    for target, pictures in targets:
        os.makedirs(target, exist_ok=True)
        for name, (w, h, pixel) in pictures.items():
            write_bmp(os.path.join(target, name), w, h, pixel)
    if folder is None:
        write_cursor(os.path.join(here, "vxprev32", "lupa.cur"), 32, (10, 10), lupa)


def main_tests(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (w, h, pixel) in TEST_PICTURES.items():
        write_bmp(os.path.join(folder, name), w, h, pixel)
    write_ico(os.path.join(folder, "prueba.ico"), 32, test_icon)


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--tests":
        main_tests(sys.argv[2])
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else None)
