#!/usr/bin/env python3
"""Makes the explorer that opens from disk: one HTML file holding the page, its style and
scripts, the program with its WebAssembly inside, the library tables and a set of models
with their thumbnails.

  offline_page.py PAGE_DIR SITE_DIR PROGRAM_JS MODELS_DIR OUT NAME...
"""
import base64
import json
import os
import re
import sys


def read(path, mode='r'):
    with open(path, mode) as f:
        return f.read()


def script(text):
    # Nothing inside may end the script element early.
    return '<script>\n' + text.replace('</script', '<\\/script') + '\n</script>'


def main(page_dir, site_dir, program, models, out, *names):
    files = {name: read(os.path.join(site_dir, name)) for name in ('polytopes.tsv', 'kinds.tsv')}
    for name in names:
        poi = read(os.path.join(models, name + '.poi'))
        normals = poi.split()[-1]  # the vertex file names the normals file in its last word
        for f, text in ((name + '.poi', poi), ('f' + name + '.cel', None), (normals, None)):
            files['models/' + f] = text if text is not None else read(os.path.join(models, f))
        thumb = os.path.join(site_dir, 'thumbs', name + '.png')
        if os.path.exists(thumb):
            data = base64.b64encode(read(thumb, 'rb')).decode('ascii')
            files['thumbs/%s.png' % name] = 'data:image/png;base64,' + data

    page = read(os.path.join(page_dir, 'index.html'))
    style = read(os.path.join(page_dir, 'explorer.css'))
    page = page.replace('<link rel="stylesheet" href="explorer.css">', '<style>\n' + style + '</style>')
    page = page.replace('<title>orvex explorer</title>', '<title>orvex explorer (offline)</title>')

    def inline(match):
        src = match.group(1)
        if src == 'orvex.js':
            return script(read(program))
        # The scripts made by the build (the scene) are in the site only.
        made = not os.path.exists(os.path.join(page_dir, src))
        return script(read(os.path.join(site_dir if made else page_dir, src)))

    data = 'window.ORVEX_OFFLINE = ' + json.dumps({'files': files}, separators=(',', ':')) + ';'
    body = re.sub(r'<script src="([^"]+)"></script>', lambda m: inline(m), page)
    if body == page:
        sys.exit('offline_page.py: %s has no scripts to inline' % os.path.join(page_dir, 'index.html'))
    body = body.replace('<script>', script(data) + '\n<script>', 1)
    with open(out + '.new', 'w') as f:
        f.write(body)
    os.replace(out + '.new', out)


if __name__ == '__main__':
    if len(sys.argv) < 7:
        sys.exit(__doc__.strip())
    main(*sys.argv[1:])
