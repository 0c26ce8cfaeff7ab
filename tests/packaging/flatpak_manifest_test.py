#!/usr/bin/env python3
"""The Flatpak manifest, as far as it can be checked without the network: it parses; it
names the application as the metadata and the desktop entry do, and the program and icon
that the desktop entry names; SDL2 is the freedesktop runtime's; every source of the
repository exists, and every outside source is pinned (a checksum or a tag).

Usage: flatpak_manifest_test.py MANIFEST METAINFO DESKTOP_FILE
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

import yaml


def fail(message):
    print(f'FAIL: {message}')
    sys.exit(1)


def desktop_entry(path):
    with open(path, encoding='utf-8') as entry:
        return dict(line.rstrip('\n').split('=', 1) for line in entry if '=' in line)


def check_source(source, manifest_folder):
    kind = source.get('type')
    if kind in ('dir', 'file'):
        path = os.path.normpath(os.path.join(manifest_folder, source['path']))
        if not os.path.exists(path):
            fail(f'the {kind} source {source["path"]} does not exist ({path})')
        return path
    if kind == 'archive':
        if not re.fullmatch(r'https://\S+', source.get('url', '')) or \
                not re.fullmatch(r'[0-9a-f]{64}', source.get('sha256', '')):
            fail(f'an archive without an https address and a sha256: {source}')
    elif kind == 'git':
        if not source.get('url', '').startswith('https://') or \
                not (source.get('tag') or source.get('commit')):
            fail(f'a git source without an https address and a tag or commit: {source}')
    else:
        fail(f'a source of an unexpected type: {source}')
    return None


def main(manifest_path, metainfo_path, desktop_path):
    with open(manifest_path, encoding='utf-8') as manifest_file:
        manifest = yaml.safe_load(manifest_file)
    folder = os.path.dirname(os.path.abspath(manifest_path))
    app_id = os.path.basename(manifest_path)[:-len('.yml')]
    entry = desktop_entry(desktop_path)

    if manifest.get('app-id') != app_id:
        fail(f'app-id {manifest.get("app-id")} is not the file name {app_id}')
    metainfo_id = ElementTree.parse(metainfo_path).getroot().findtext('id')
    if metainfo_id != app_id or os.path.basename(desktop_path) != app_id + '.desktop':
        fail(f'the metadata says {metainfo_id}, the desktop entry is {desktop_path}')
    if (manifest.get('runtime'), manifest.get('sdk')) != \
            ('org.freedesktop.Platform', 'org.freedesktop.Sdk'):
        fail(f'not the freedesktop runtime: {manifest.get("runtime")}, {manifest.get("sdk")}')
    if not isinstance(manifest.get('runtime-version'), str):
        fail('runtime-version is not a string (YAML would read 23.08 as a number)')
    if manifest.get('command') != entry['Exec'].split()[0]:
        fail(f'command {manifest.get("command")} is not the desktop entry\'s {entry["Exec"]}')
    if manifest.get('rename-icon') != entry['Icon']:
        fail(f'rename-icon {manifest.get("rename-icon")} is not the icon {entry["Icon"]}')

    modules = manifest.get('modules', [])
    names = [module['name'] for module in modules]
    if any(name.lower() in ('sdl2', 'sdl') for name in names):
        fail('SDL2 is built instead of taken from the runtime')
    if names[-1] != 'dorminax':
        fail(f'the demo is not the last module: {names}')
    for module in modules:
        for source in module.get('sources', []):
            path = check_source(source, folder)
            if module['name'] == 'dorminax':
                if path is None or not os.path.isfile(os.path.join(path, 'CMakeLists.txt')):
                    fail(f'the demo is not built from the repository: {source}')
    print('PASS')


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
