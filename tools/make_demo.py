#!/usr/bin/env python3
"""Write the bundled demo game "灯台の手紙" (The Lighthouse Letter) into games/demo/.

Everything in the game folder comes from the modules in tools/demo/: the
story (story.py), written both as packed scene files and as the per-record
files that debug mode reads (scene_text.py); every picture, painted with
simple geometry and gradients and saved as 24-bit BMP files (scenery.py,
title.py, figures.py, pictures.py on canvas.py); the three pieces of music,
written note by note and saved as Standard MIDI Files (music.py, midi.py);
and the sound effects, synthesized and saved as WAV files (sounds.py).

Run with Python 3 and nothing but its standard library, after building the
program (scripts/build):

    python3 tools/make_demo.py [--program PATH] [output folder]

The output folder defaults to games/demo/ beside this tools/ folder. The output
is the same, byte for byte, on every run: no clocks, no unseeded randomness.
Once the game is written, the program checks it with its own readers,
`tallowind --check`, in both the packed form and the debug form; the program
defaults to build/tallowind beside this tools/ folder. Any finding of the
check, error or warning, fails the run.
"""

import argparse
import os
import subprocess
import sys
import tempfile

from demo.canvas import encode_bmp
from demo.midi import encode_midi
from demo.music import all_music
from demo.pictures import all_pictures
from demo.scene_text import encode_text, packed_scene_lines, per_record_files, scene_records
from demo.sounds import all_sounds, encode_wav
from demo.story import SCENES, SETTINGS

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def game_files():
    """Every file of the game: {relative path: bytes}, in a fixed order."""
    files = {}
    settings = encode_text(SETTINGS)
    # Normal mode: the settings and the packed scenes in scene/.
    files["scene/main.gst"] = settings
    for number, scene in enumerate(SCENES, start=1):
        files["scene/scene%d.gst" % number] = encode_text(packed_scene_lines(scene_records(scene)))
    # Debug mode: the same settings and scene 1 as separate per-record files.
    files["main.gst"] = settings
    for relative, lines in per_record_files(scene_records(SCENES[0])).items():
        files[relative] = encode_text(lines)
    for relative, canvas in all_pictures().items():
        files[relative] = encode_bmp(canvas)
    for relative, song in all_music().items():
        files[relative] = encode_midi(song)
    for relative, effect in all_sounds().items():
        files[relative] = encode_wav(effect)
    return files


def write_file(root, relative, data):
    path = os.path.join(root, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def check_game(program, root):
    """Run the program's checker on both forms of the game; True when it finds nothing.

    The program checks the debug form when it is started under the name
    DEBUG, so that check goes through a link of that name.
    """
    clean = True
    with tempfile.TemporaryDirectory() as folder:
        debug = os.path.join(folder, "DEBUG")
        os.symlink(program, debug)
        for started_as in (program, debug):
            done = subprocess.run([started_as, "--check", root], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, text=True)
            sys.stdout.write(done.stdout)
            # The last line ends with "no problems found" when there are
            # neither errors nor warnings; warnings alone leave status 0.
            if done.returncode != 0 or not done.stdout.rstrip().endswith("no problems found"):
                clean = False
    return clean


def main(argv):
    parser = argparse.ArgumentParser(description="Write the demo game and check it with the program.")
    parser.add_argument("folder", nargs="?", default=os.path.join(TOP, "games", "demo"),
                        help="the game folder to write (default: games/demo)")
    parser.add_argument("--program", default=os.path.join(TOP, "build", "tallowind"),
                        help="the built program whose --check reads the game (default: build/tallowind)")
    args = parser.parse_args(argv[1:])
    program = os.path.abspath(args.program)
    if not (os.path.isfile(program) and os.access(program, os.X_OK)):
        sys.exit("make_demo.py: no program at %s to check the game with: build it with "
                 "scripts/build, or name it with --program" % program)

    files = game_files()
    for relative, data in files.items():
        write_file(args.folder, relative, data)
    print("wrote %d files to %s" % (len(files), os.path.normpath(args.folder)))
    if not check_game(program, os.path.abspath(args.folder)):
        sys.exit("make_demo.py: the check found problems in the game written to %s"
                 % os.path.normpath(args.folder))


if __name__ == "__main__":
    main(sys.argv)
