#!/usr/bin/python3
"""Test discs through pycdlib, an ISO 9660 writer and reader independent of the viewer.

  xa_iso.py write OUT   an XA image: DATA.BIN (data), MOVIE.STR (Form 2 by its XA attributes)
                        and SUB/VOICE.XA (data by its attributes)
  xa_iso.py list ISO    every directory and file: "d|f PATH EXTENT SIZE", depth-first
"""
import io
import sys

import pycdlib


def write(out):
    iso = pycdlib.PyCdlib()
    iso.new(interchange_level=1, xa=True, vol_ident='XADISC')
    for path, size in (('/DATA.BIN;1', 5000), ('/MOVIE.STR;1', 9000)):
        body = bytes((i * 7 + len(path)) & 0xff for i in range(size))
        iso.add_fp(io.BytesIO(body), size, path)
    iso.add_directory('/SUB')
    iso.add_fp(io.BytesIO(b'voice' * 100), 500, '/SUB/VOICE.XA;1')
    buffer = io.BytesIO()
    iso.write_fp(buffer)
    image = bytearray(buffer.getvalue())
    # pycdlib leaves the XA attributes zero: mark MOVIE.STR as Mode 2 Form 2 (big-endian).
    name = b'MOVIE.STR;1'
    at = image.find(bytes([len(name)]) + name) + 1
    xa = at + len(name) + (1 if len(name) % 2 == 0 else 0)
    assert image[xa + 6:xa + 8] == b'XA'
    image[xa + 4:xa + 6] = (0x1000).to_bytes(2, 'big')
    with open(out, 'wb') as f:
        f.write(image)


def list_iso(path):
    iso = pycdlib.PyCdlib()
    iso.open(path)

    def plain(record):
        return record.file_identifier().decode().split(';')[0].rstrip('.')

    def visit(folder):
        children = sorted(iso.list_children(iso_path=folder), key=plain)
        for record in children:
            if record.is_dot() or record.is_dotdot():
                continue
            name = plain(record)
            full = (folder.rstrip('/') + '/' + name)
            kind = 'd' if record.is_dir() else 'f'
            print(kind, full.lstrip('/'), record.extent_location(), record.get_data_length())
            if record.is_dir():
                visit(full)
    visit('/')
    iso.close()


if __name__ == '__main__':
    if sys.argv[1] == 'write':
        write(sys.argv[2])
    else:
        list_iso(sys.argv[2])
