#!/usr/bin/env python3
"""Writes small MP3-like files that end in an ID3v1 tag, for the demo and the end-to-end tests.

usage: make_mp3.py OUT.mp3 TITLE ARTIST ALBUM YEAR COMMENT GENRE
The audio part is a few silent MPEG-1 Layer III frames; players never decode it here."""
import sys


def place(text, width):
    data = text.encode('cp1252')[:width]
    return data + b'\0' * (width - len(data))


def main():
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    out, title, artist, album, year, comment, genre = sys.argv[1:]
    frame = b'\xff\xfb\x90\x64' + b'\0' * 413  # 128 kbit/s, 44.1 kHz, one frame of silence
    tag = (b'TAG' + place(title, 30) + place(artist, 30) + place(album, 30) + place(year, 4) +
           place(comment, 30) + bytes([int(genre) & 0xFF]))
    with open(out, 'wb') as f:
        f.write(frame * 8 + tag)


if __name__ == '__main__':
    main()
