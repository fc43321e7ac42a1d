#!/usr/bin/python3
"""Makes the one self-contained page: make_page.py OUT.html TEMPLATE.html MODULE.js ENGINE.wasm ICON.png...

The template's <!-- icons -->, <!-- module --> and <!-- script --> are replaced by the icons as data
links, the engine gzip'd in base64 (the browser's DecompressionStream unpacks it: a third of the bytes
of plain base64) and the JS module. The bytes depend on the inputs alone (no time in the gzip header).
"""
import base64
import gzip
import struct
import sys


def icon_link(name):
    with open(name, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{name}: not a PNG image")
    width, height = struct.unpack(">II", data[16:24])
    encoded = base64.b64encode(data).decode()
    return f'<link rel="icon" type="image/png" sizes="{width}x{height}" href="data:image/png;base64,{encoded}">'


def main(out, template, script, module, icons):
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
    for mark, text in (("<!-- icons -->", "\n".join(icon_link(i) for i in icons)),
                       ("<!-- module -->", engine), ("<!-- script -->", code)):
        if page.count(mark) != 1:
            raise SystemExit(f"{template}: needs {mark} once")
        page = page.replace(mark, text)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)


if __name__ == "__main__":
    if len(sys.argv) < 5:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
