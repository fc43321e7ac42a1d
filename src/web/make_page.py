#!/usr/bin/python3
"""Makes the one self-contained page and the site to install it from:

    make_page.py OUT.html SITE_DIR TEMPLATE.html MODULE.js ENGINE.wasm ICON...

The template's <!-- icons -->, <!-- module --> and <!-- script --> are replaced by the small icons as data
links, the engine gzip'd in base64 (the browser's DecompressionStream unpacks it: a third of the bytes of
plain base64) and the JS module. SITE_DIR gets the same page as index.html, naming a web app manifest
(<!-- site -->), the manifest, the large icons and the service worker that keeps the site offline. The bytes
depend on the inputs alone (no time in the gzip header, the cache's name from the files' digest).
"""
import base64
import gzip
import hashlib
import json
import os
import re
import shutil
import struct
import sys

# The service worker: the first visit stores the site's files; from then on they come from the cache, so
# the page starts without a network. A new build is a new worker (its cache name is the files' digest),
# which replaces the old cache once it has stored the new files.
SERVICE_WORKER = """// Keeps Tirvok 3 working offline: the site's files, stored at the first visit, are served
// from then on.
const CACHE = 'tirvok3-%(digest)s';
const FILES = %(files)s;
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((stored) => stored || fetch(event.request)));
});
"""


def png_size(data, name):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{name}: not a PNG image")
    return struct.unpack(">II", data[16:24])


def icon_link(name):
    with open(name, "rb") as f:
        data = f.read()
    width, height = png_size(data, name)
    encoded = base64.b64encode(data).decode()
    return f'<link rel="icon" type="image/png" sizes="{width}x{height}" href="data:image/png;base64,{encoded}">'


def fill(page, marks):
    for mark, text in marks:
        if page.count(mark) != 1:
            raise SystemExit(f"template: needs {mark} once")
        page = page.replace(mark, text)
    return page


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def make_site(site, page, icons, name, face):
    """index.html, manifest, icons and service worker in `site`; the small icons stay data links."""
    os.makedirs(site, exist_ok=True)
    entries = []
    for icon in icons:
        base = os.path.basename(icon)
        if icon.endswith(".svg"):
            entries.append({"src": base, "sizes": "any", "type": "image/svg+xml"})
        else:
            with open(icon, "rb") as f:
                width, height = png_size(f.read(), icon)
            if width < 128:
                continue
            entries.append({"src": base, "sizes": f"{width}x{height}", "type": "image/png"})
        shutil.copyfile(icon, os.path.join(site, base))
    largest = max((e for e in entries if e["type"] == "image/png"), key=lambda e: int(e["sizes"].split("x")[0]))
    manifest = {"name": name, "short_name": name, "lang": "tr", "start_url": "./", "scope": "./",
                "display": "standalone", "background_color": face, "theme_color": face, "icons": entries}
    head = "\n".join([
        '<link rel="manifest" href="manifest.webmanifest">',
        f'<link rel="apple-touch-icon" href="{largest["src"]}">',
        f'<meta name="theme-color" content="{face}">',
        '<meta name="mobile-web-app-capable" content="yes">',
        '<meta name="apple-mobile-web-app-capable" content="yes">'])
    write(os.path.join(site, "index.html"), page.replace("<!-- site -->", head))
    write(os.path.join(site, "manifest.webmanifest"), json.dumps(manifest, ensure_ascii=False, indent=1) + "\n")
    files = ["index.html", "manifest.webmanifest"] + [e["src"] for e in entries]
    digest = hashlib.sha256()
    for part in files:
        with open(os.path.join(site, part), "rb") as f:
            digest.update(f.read())
    write(os.path.join(site, "sw.js"), SERVICE_WORKER % {"digest": digest.hexdigest()[:16],
                                                          "files": json.dumps(["./"] + files)})


def main(out, site, template, script, module, icons):
    with open(template, encoding="utf-8") as f:
        page = f.read()
    with open(script, encoding="utf-8") as f:
        code = f.read()
    with open(module, "rb") as f:
        engine = base64.b64encode(gzip.compress(f.read(), compresslevel=9, mtime=0)).decode()
    if "</script" in code:
        raise SystemExit(f"{script}: must not contain </script")
    # Line breaks every 76 characters keep the page's lines short; atob ignores whitespace.
    engine = "\n".join(engine[i:i + 76] for i in range(0, len(engine), 76))
    small = []
    for icon in icons:
        if icon.endswith(".png"):
            with open(icon, "rb") as f:
                if png_size(f.read(), icon)[0] <= 32:
                    small.append(icon)
    page = fill(page, [("<!-- icons -->", "\n".join(icon_link(i) for i in small)), ("<!-- module -->", engine),
                       ("<!-- script -->", code)])
    if page.count("<!-- site -->") != 1:
        raise SystemExit(f"{template}: needs <!-- site --> once")
    write(out, page.replace("<!-- site -->\n", ""))
    name = re.search(r"<title>([^<]*)</title>", page).group(1)
    face = re.search(r"background: var\(--face, (\w+)\)", page).group(1)
    make_site(site, page, icons, name, face)


if __name__ == "__main__":
    if len(sys.argv) < 7:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:])
