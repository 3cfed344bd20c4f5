#!/usr/bin/env python3
"""Checks the HTML pages that html_tests kept among the screenshots (FOLDER/listado,
FOLDER/informe): every page parsed with html.parser (one paragraph per item with its class,
top and left in millimetres and its text, hostile text kept as text), then opened in
headless Chromium: the DOM of a page shows the hostile text as text and "Año ñ" intact, and
a screenshot of the navigation page shows page 1 inside its frame. The screenshots stay in
FOLDER."""
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

# The listing's hostile texts, one a record and a page (html_export_test.cpp has the same).
HOSTILE = ["<script>alert(1)</script>", "A&B", "Comillas \"dobles\" y 'simples'", "Año ñ", "</P><P CLASS=x>",
           "&amp; ya"]
HEADER = "LISTADO <b>HOSTIL</b> & CIA"
MM = re.compile(r"^-?\d+\.\d\dmm$")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


class Page(html.parser.HTMLParser):
    """The paragraphs of a page: class, style items and text; and its script tags."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.paragraphs = []
        self.scripts = 0
        self.iframes = []
        self.current = None
        self.spans = {}
        self.span = None

    def handle_starttag(self, tag, attrs):
        a = {k.lower(): (v or "") for k, v in attrs}
        if tag == "p":
            style = {}
            for item in a.get("style", "").split(";"):
                if ":" in item:
                    name, value = item.split(":", 1)
                    style[name.strip().lower()] = value.strip()
            self.current = {"class": a.get("class", ""), "style": style, "text": ""}
            self.paragraphs.append(self.current)
        elif tag == "script":
            self.scripts += 1
        elif tag == "iframe":
            self.iframes.append(a)
        elif tag == "span":
            self.span = a.get("id", "")
            self.spans[self.span] = ""

    def handle_endtag(self, tag):
        if tag == "p":
            self.current = None
        elif tag == "span":
            self.span = None

    def handle_data(self, data):
        if self.current is not None:
            self.current["text"] += data
        if self.span:
            self.spans[self.span] += data


def parse(path):
    with open(path, "rb") as f:
        data = f.read()
    page = Page()
    page.feed(data.decode("cp1252"))
    return page, data


def texts(page):
    return [p["text"].replace("\xa0", " ") for p in page.paragraphs if p["class"].startswith("FNT_")]


def chromium(*arguments):
    with tempfile.TemporaryDirectory() as profile:
        command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--user-data-dir=" + profile] + list(arguments)
        return subprocess.run(command, capture_output=True, timeout=120).stdout


def png_pixels(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    assert depth == 8 and colour in (2, 6), (depth, colour)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, bpp)])
        previous = line
    return width, height, rows


def frame_shows_a_page(png):
    """The frame's area below the buttons: white paper with dark text on it."""
    width, height, rows = png_pixels(png)
    white = dark = 0
    for y in range(40, 120):
        for x in range(10, 700):
            r, g, b = rows[y][x]
            if r > 245 and g > 245 and b > 245:
                white += 1
            elif r < 90 and g < 90 and b < 90:
                dark += 1
    return white > 20000 and dark > 200


def check_listing(folder):
    listing = os.path.join(folder, "listado")
    for n in range(1, 13):
        name = os.path.join(listing, "P00%05d.HTM" % n)
        check(os.path.exists(name), name + " exists")
        if not os.path.exists(name):
            continue
        page, data = parse(name)
        check(page.scripts == 1, "%s: one script, its own (%d)" % (name, page.scripts))
        check(data.find(b"charset=windows-1252") < data.find(b"<TITLE>"), name + ": the charset before the title")
        items = [p for p in page.paragraphs if p["class"] != "CUADRO"]
        for p in items:
            check(MM.match(p["style"].get("top", "")) and MM.match(p["style"].get("left", "")),
                  "%s: %s has top and left in mm: %s" % (name, p["class"], p["style"]))
        shown = texts(page)
        hostile = HOSTILE[(n - 1) % len(HOSTILE)]
        check(hostile in shown, "%s: %r shown as text among %r" % (name, hostile, shown))
        check(HEADER in shown, "%s: the header as text" % name)
        check("H%05d" % n in shown, "%s: its code" % name)
        price = ("%.2f" % (n * 12.5)).replace(".", ",")
        blanks = [t for t in shown if t.strip() == price]
        check(blanks and blanks[0].startswith(" "), "%s: the price %s keeps its leading blanks: %r" % (name, price,
                                                                                                     blanks))
        check(any(p["style"].get("background-image", "").startswith("Url('IMG_LUPA.bmp')") for p in items),
              name + ": the picture beside the page")
        check(any("border-top-style" in p["style"] for p in items), name + ": the horizontal line")
        check(any(p["style"].get("border-style") == "solid" for p in items), name + ": the box")
    nav_name = os.path.join(listing, "indice.htm")
    nav, _ = parse(nav_name)
    check(nav.spans.get("PAGINA") == "Página 1 de 12", "page line 1 of 12: %r" % nav.spans.get("PAGINA"))
    check(nav.iframes and nav.iframes[0].get("src") == "P0000001.HTM", "the frame shows P0000001.HTM")

    # Chromium: hostile text stays text, "Año ñ" intact; the page line after the scripts.
    for n in (1, 4, 5):
        name = os.path.join(listing, "P00%05d.HTM" % n)
        dom = chromium("--dump-dom", "file://" + name).decode("utf-8", "replace")
        page = Page()
        page.feed(dom)
        shown = texts(page)
        hostile = HOSTILE[(n - 1) % len(HOSTILE)]
        check(page.scripts == 1, "DOM of %s: one script (%d)" % (name, page.scripts))
        check(hostile in shown, "DOM of %s: %r as text among %r" % (name, hostile, shown))
    dom = chromium("--dump-dom", "file://" + nav_name).decode("utf-8", "replace")
    check("Página 1 de 12" in dom, "DOM of the navigation page: Página 1 de 12")

    # The navigation page shows page 1 in its frame; the same page without its pages beside
    # it leaves the frame empty, so the check tells them apart.
    shot = os.path.join(folder, "listado_navegacion.png")
    chromium("--window-size=1000,1300", "--hide-scrollbars", "--virtual-time-budget=3000", "--screenshot=" + shot,
             "file://" + nav_name)
    check(os.path.exists(shot) and frame_shows_a_page(shot), "the frame shows page 1 (" + shot + ")")
    with tempfile.TemporaryDirectory() as alone:
        lone = os.path.join(alone, "indice.htm")
        with open(nav_name, "rb") as source, open(lone, "wb") as target:
            target.write(source.read())
        empty = os.path.join(folder, "listado_sin_paginas.png")
        chromium("--window-size=1000,1300", "--hide-scrollbars", "--virtual-time-budget=3000",
                 "--screenshot=" + empty, "file://" + lone)
        check(os.path.exists(empty) and not frame_shows_a_page(empty), "without its pages the frame stays empty")


def check_report(folder):
    report = os.path.join(folder, "informe")
    name = os.path.join(report, "P0000001.HTM")
    page, _ = parse(name)
    shown = texts(page)
    check("INFORME <b>DE</b> PRECIOS & CIA" in shown, "the report's title as text")
    check("<script>alert(1)</script>" in shown, "the report's hostile text as text")
    check(page.scripts == 1, "the report page: one script")
    shot = os.path.join(folder, "informe_navegacion.png")
    chromium("--window-size=1000,1300", "--hide-scrollbars", "--virtual-time-budget=3000", "--screenshot=" + shot,
             "file://" + os.path.join(report, "indice.htm"))
    check(os.path.exists(shot) and frame_shows_a_page(shot), "the report's frame shows page 1 (" + shot + ")")


def main():
    folder = os.path.abspath(sys.argv[1])
    check_listing(folder)
    check_report(folder)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
