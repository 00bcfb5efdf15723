#!/usr/bin/env python3
"""startup-bench.py [BUILD_DIR] [--runs N] [--photo-runs N]

Times the game's start-up against a bare Qt main window (bench/barewindow.cpp): the median
milliseconds from launch to the first paint, under one Xvfb server (started here through
xvfb-run when there is no display):

  - the bare window and the game with the built-in set, run in turns (default 21 runs each),
    so a machine whose load changes treats both alike;
  - the game with a stored set of 20 camera-sized photos (4000 x 3000), as JPEG and as PNG, at
    its first start (an empty thumbnail cache) and its second (the cache the first one filled),
    with the time until every picture has arrived (default 5 runs each).

The game reports through GEMINO_BENCH (see qt/app/main.cpp). Its settings and its thumbnail
cache live in a temporary folder, never the user's. Needs xvfb-run and ImageMagick.
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time


def launch(command, env):
    """Runs one start-up; returns the milliseconds to each report the program printed."""
    start = time.time_ns() // 1000
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    reports = {}
    for line in result.stdout.splitlines():
        what, _, microseconds = line.partition(' ')
        if microseconds.isdigit():
            reports[what] = (int(microseconds) - start) / 1000
    return reports


def median(values):
    return f'{statistics.median(values):6.0f}' if values else '     -'


def make_photos(folder):
    subprocess.run(['convert', '-size', '1000x750', '-seed', '7', 'plasma:fractal', '-resize',
                    '4000x3000', f'{folder}/base.jpg'], check=True)
    for k in range(20):
        jpeg = f'{folder}/photo{k}.jpg'
        subprocess.run(['convert', f'{folder}/base.jpg', '-modulate', f'100,100,{k * 10}',
                        '-quality', '90', jpeg], check=True)
        subprocess.run(['convert', jpeg, '-quality', '10', f'{folder}/photo{k}.png'], check=True)
    for extension in ('jpg', 'png'):
        # The set as the editor writes it: a count, then index, path and text of each entry.
        with open(f'{folder}/{extension}.ims', 'wb') as f:
            f.write(struct.pack('<i', 20))
            for k in range(20):
                f.write(struct.pack('<i', 0) + f'{folder}/photo{k}.{extension}\nME_NONE\n'.encode())


def use_set(config, path):
    os.makedirs(f'{config}/Oakvale', exist_ok=True)
    with open(f'{config}/Oakvale/Gemino.ini', 'w') as f:
        f.write('[Settings]\n')
        f.write(f'Standard%20Image%20Set={"" if path else "misc"}\n')
        f.write(f'Custom%20Image%20Set={path}\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('build', nargs='?', default='build')
    parser.add_argument('--runs', type=int, default=21)
    parser.add_argument('--photo-runs', type=int, default=5)
    args = parser.parse_args()
    if 'DISPLAY' not in os.environ:
        os.execvp('xvfb-run', ['xvfb-run', '-a', '-s', '-screen 0 1600x1200x24', sys.executable,
                               *sys.argv])

    build = os.path.abspath(args.build)
    game = [f'{build}/gemino']
    bare = [f'{build}/bench/barewindow']
    work = tempfile.mkdtemp()
    try:
        print(f'Making 20 photos of 4000 x 3000 in {work} ...', file=sys.stderr)
        make_photos(work)
        env = dict(os.environ, XDG_CONFIG_HOME=f'{work}/config', XDG_CACHE_HOME=f'{work}/cache')

        use_set(env['XDG_CONFIG_HOME'], '')
        firsts = {'bare': [], 'game': []}
        for _ in range(args.runs):
            firsts['bare'].append(launch(bare, env)['first-paint'])
            firsts['game'].append(launch(game, dict(env, GEMINO_BENCH='first-paint'))['first-paint'])
        ratio = statistics.median(firsts['game']) / statistics.median(firsts['bare'])
        print(f'{"bare Qt main window":36} first paint {median(firsts["bare"])} ms')
        print(f'{"game, built-in set":36} first paint {median(firsts["game"])} ms'
              f'   ({ratio:.2f} x the bare window)')

        for extension in ('jpg', 'png'):
            use_set(env['XDG_CONFIG_HOME'], f'{work}/{extension}.ims')
            for start in ('first', 'second'):
                first, pictures = [], []
                for run in range(args.photo_runs):
                    cache = f'{work}/cache-{extension}-{start}-{run}'
                    if start == 'second':
                        # The cache a first start left behind.
                        launch(game, dict(env, GEMINO_BENCH='pictures', XDG_CACHE_HOME=cache))
                    reports = launch(game, dict(env, GEMINO_BENCH='pictures', XDG_CACHE_HOME=cache))
                    first.append(reports['first-paint'])
                    pictures.append(reports['pictures'])
                    shutil.rmtree(cache, ignore_errors=True)
                print(f'{f"game, 20 {extension} photos, {start} start":36} first paint '
                      f'{median(first)} ms, all pictures {median(pictures)} ms')
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
