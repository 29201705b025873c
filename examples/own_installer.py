#!/usr/bin/env python3
"""What `./dev demo --installer FILE.exe` needs of an author's installer, read with the
package tool:

  own_installer.py describe VELPACK FILE       prints the kind (a number), then the wallpaper name
  own_installer.py repack VELPACK FILE FOLDER  writes FOLDER/repack.ini: the package's content
                                               (preview, licence, page, data file, other slots)
                                               as extracted into FOLDER/files, with the project's
                                               own programs in slots 1, 2 and 9, so that the
                                               package can be packed on another build of the
                                               installer (the x86-64 one, for a Wine that runs
                                               only 64-bit programs); prints the manifest's path
"""
import json
import pathlib
import subprocess
import sys

# Slots that hold Windows programs: the implode library, the Flash player installer and the
# uninstaller. A repacked package takes the project's builds of them.
PROGRAM_SLOTS = {1: None, 2: "project:flashax.exe", 9: "project:uninstall.exe"}


def listing(velpack, installer):
    run = subprocess.run([velpack, "list", "--json", installer], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("demo: %s is not a sound installer:\n%s" % (installer, run.stderr))
    return json.loads(run.stdout)


def describe(velpack, installer):
    header = listing(velpack, installer)["header"]
    print(header["kind"])
    print(header["wallpaperName"])


def ini_value(text):
    return '"%s"' % text if text != text.strip() else text


def repack(velpack, installer, folder):
    folder = pathlib.Path(folder).resolve()
    files = folder / "files"
    package = listing(velpack, installer)
    subprocess.run([velpack, "extract", installer, "-o", str(files)], check=True,
                   stdout=subprocess.DEVNULL)
    header = package["header"]
    yes_no = lambda flag: "yes" if flag else "no"
    lines = [
        "; The content of %s, packed again by ./dev demo." % installer,
        "[package]",
        "kind = %d" % header["kind"],
        "wallpaperName = %s" % ini_value(header["wallpaperName"]),
        "background = %d, %d, %d" % tuple(header["background"]),
        "showLicense = %s" % yes_no(header["showLicense"]),
        "openAfterInstall = %s" % yes_no(header["openAfterInstall"]),
        "offerDisplayProperties = %s" % yes_no(header["offerDisplayProperties"]),
        "codePage = %d" % header["codePage"],
    ]
    for slot in package["slots"]:
        number = slot["slot"]
        if number == 0 or slot["empty"]:
            continue
        if number in PROGRAM_SLOTS:
            if PROGRAM_SLOTS[number]:
                lines += ["[slot%d]" % number, "file = " + PROGRAM_SLOTS[number]]
            continue
        lines.append("[slot%d]" % number)
        if number == 4:
            lines.append("convert = no")  # extracted in the package's code page already
        # Two slots of one name are extracted as slotN-NAME (velpack extract --help).
        extracted = files / slot["name"]
        renamed = files / ("slot%d-%s" % (number, slot["name"]))
        lines += ["file = " + str(renamed if renamed.exists() else extracted),
                  "name = " + ini_value(slot["name"]),
                  "destination = %d" % slot["destination"],
                  "compressed = " + yes_no(slot["compressed"])]
    manifest = folder / "repack.ini"
    manifest.write_text("\n".join(lines) + "\n", encoding="utf-8")
    print(manifest)


# The silent kind shows no window, so no preview.
SILENT_KIND = 4


def preview(velpack, installer, folder):
    package = listing(velpack, installer)
    if package["header"]["kind"] == SILENT_KIND:
        return
    slot = next((s for s in package["slots"] if s["slot"] == 3 and not s["empty"]), None)
    if slot is None:
        return
    folder = pathlib.Path(folder).resolve()
    subprocess.run([velpack, "extract", installer, "-o", str(folder)], check=True,
                   stdout=subprocess.DEVNULL)
    movie = folder / slot["name"]
    renamed = folder / ("slot3-%s" % slot["name"])
    movie = renamed if renamed.exists() else movie
    # A Flash movie starts with "FWS" or, compressed, "CWS"; the picture kinds show a picture.
    if movie.is_file() and movie.read_bytes()[:3] in (b"FWS", b"CWS"):
        print(movie)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "describe":
        describe(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "repack":
        repack(sys.argv[2], sys.argv[3], sys.argv[4])
    elif len(sys.argv) == 5 and sys.argv[1] == "preview":
        preview(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
