#!/usr/bin/env python3
"""Zips a folder for a release so that the bytes depend only on the paths and contents
of its files: members in sorted order, every one dated EPOCH, no owners, and the same
permissions whatever the folder's files had (644, folders 755).

Usage: release_zip.py EPOCH OUT.zip FOLDER
Members are named relative to FOLDER; OUT.zip is written whole or not at all.
"""
import os
import sys
import time
import zipfile

# The earliest time a zip's MS-DOS date can hold.
ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)
UNIX = 3


def member(name, date, mode):
    info = zipfile.ZipInfo(name, date_time=date)
    info.create_system = UNIX
    info.external_attr = mode << 16
    return info


def zip_folder(epoch, output, folder):
    date = max(ZIP_EPOCH, time.gmtime(epoch)[:6])
    entries = []
    for parent, folders, files in os.walk(folder):
        relative = os.path.relpath(parent, folder)
        prefix = '' if relative == '.' else relative.replace(os.sep, '/') + '/'
        entries += [(prefix + name + '/', None) for name in folders]
        entries += [(prefix + name, os.path.join(parent, name)) for name in files]
    entries.sort()
    partial = output + '.partial'
    with zipfile.ZipFile(partial, 'w') as archive:
        for name, path in entries:
            if path is None:
                archive.writestr(member(name, date, 0o40755), b'')
            else:
                with open(path, 'rb') as source:
                    archive.writestr(member(name, date, 0o100644), source.read(),
                                     compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(partial, output)


def main(arguments):
    if len(arguments) != 3 or not arguments[0].isdigit():
        sys.exit('usage: release_zip.py EPOCH OUT.zip FOLDER')
    epoch, output, folder = int(arguments[0]), arguments[1], arguments[2]
    if not os.path.isdir(folder):
        sys.exit(f'release_zip.py: {folder} is not a folder')
    zip_folder(epoch, output, folder)


if __name__ == '__main__':
    main(sys.argv[1:])
