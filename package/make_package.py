#!/usr/bin/python3
"""Writes the release zip of the plug-in and its tools, byte for byte the
same for the same inputs: entries in a fixed order, with one fixed time (the
commit's, from SOURCE_DATE_EPOCH or git), fixed permissions and no extra
fields. Beside it goes NAME.zip.sha256.

  make_package.py --version V --bin BUILD/bin --source CHECKOUT --out DIR

Debian's interpreter only: nothing outside its standard library.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import time
import zipfile

# Third-party parts compiled into the binaries or shipped beside them, with
# the file their licence text comes from. The font's own licence travels
# beside the font.
LICENCES = [
    ("GCC-runtime.txt", "/usr/share/doc/g++-mingw-w64-i686-posix/copyright",
     "libstdc++ and libgcc (GCC runtime libraries, with the GCC Runtime Library "
     "Exception), linked into QuindleVelmora.dll and plughost.exe"),
    ("GPL-3.txt", "/usr/share/common-licenses/GPL-3",
     "the GNU General Public License version 3, which GCC-runtime.txt refers to"),
    ("mingw-w64.txt", "/usr/share/doc/mingw-w64-i686-dev/copyright",
     "the mingw-w64 C runtime and winpthreads, linked into QuindleVelmora.dll and "
     "plughost.exe"),
    ("nlohmann-json.txt", "/usr/share/doc/nlohmann-json3-dev/copyright",
     "JSON for Modern C++ (nlohmann/json), compiled into plughost.exe"),
    ("pugixml.txt", "/usr/share/doc/libpugixml-dev/copyright",
     "pugixml, the XML parser compiled into plughost.exe"),
    ("libyaml.txt", "/usr/share/doc/libyaml-dev/copyright",
     "LibYAML, the YAML parser compiled into plughost.exe"),
    ("stb.txt", "/usr/share/doc/libstb-dev/copyright",
     "stb_easy_font, the letters of plughost's pictures, compiled into plughost.exe"),
    ("zlib.txt", "/usr/share/doc/libz-mingw-w64-dev/copyright",
     "zlib, the compression library linked into plughost.exe"),
]
FONT_DIR = "Artwork/Fonts/Cuprum"
# The factory and community maps built into the DLL and plughost.exe are
# converted from other projects' public maps; their licences ask for these
# texts to go with them: the notice and every licence beside it in the
# folder factory/ of the source (factory-build writes them).
FACTORY_DIR = "Licenses/Factory maps"


def factory_notices(source):
    folder = os.path.join(source, "factory")
    return ["NOTICE.txt"] + sorted(n for n in os.listdir(folder)
                                   if n.startswith("LICENSE-") and n.endswith(".txt"))


def commit_time(source):
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout
        return int(out.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        return 315532800  # 1980-01-01, the earliest time a zip entry holds


def example_files(source):
    """The examples a user reads or loads: what git tracks in examples/ (so a
    working copy's stray files stay out), without the scripts that make them."""
    folder = os.path.join(source, "examples")
    try:
        listed = subprocess.run(["git", "-C", source, "ls-files", "-z", "examples"],
                                capture_output=True, check=True).stdout.decode()
        names = [os.path.relpath(n, "examples") for n in listed.split("\0") if n]
    except (OSError, subprocess.CalledProcessError):
        names = [os.path.relpath(os.path.join(d, f), folder)
                 for d, _, files in os.walk(folder) for f in files]
    return sorted(n for n in names
                  if not n.endswith(".py") and not os.path.basename(n).startswith("."))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def licence_index():
    lines = ["Third-party parts of Quindle Velmora and their licences", "",
             "Cuprum, the typeface of the editor panel: SIL Open Font License 1.1,",
             f"    in {FONT_DIR}/OFL.txt", ""]
    for name, _, what in LICENCES:
        lines += [f"{name}: {what}", ""]
    lines += [f"{FACTORY_DIR}/: the factory and community maps built into",
              "    QuindleVelmora.dll and plughost.exe, converted from public maps of other",
              "    projects: NOTICE.txt names them, with their licences beside it", ""]
    lines.append("The other texts are Debian's copyright files of the packages the parts come from.")
    return ("\n".join(lines) + "\n").encode()


def gather(args):
    """Archive name -> bytes of everything but SHA256SUMS."""
    files = {
        "QuindleVelmora.dll": read(os.path.join(args.bin, "QuindleVelmora.dll")),
        "plughost.exe": read(os.path.join(args.bin, "plughost.exe")),
        f"{FONT_DIR}/Cuprum.ttf": read(os.path.join(args.bin, FONT_DIR, "Cuprum.ttf")),
        f"{FONT_DIR}/OFL.txt": read(os.path.join(args.bin, FONT_DIR, "LICENSE")),
        "Guide.txt": read(os.path.join(args.source, "package", "Guide.txt"))
        .replace(b"@VERSION@", args.version.encode()),
        "Licenses/README.txt": licence_index(),
    }
    for name, origin, _ in LICENCES:
        files["Licenses/" + name] = read(origin)
    for name in factory_notices(args.source):
        files[f"{FACTORY_DIR}/{name}"] = read(os.path.join(args.source, "factory", name))
    for name in example_files(args.source):
        files["examples/" + name.replace(os.sep, "/")] = read(
            os.path.join(args.source, "examples", name))
    return files


def sums(files):
    lines = [f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in sorted(files.items())]
    return "".join(lines).encode()


def write_zip(path, files, epoch):
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    temporary = path + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3  # Unix, so the permission bits below count
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name], compresslevel=9)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--bin", required=True, help="the build's folder of programs")
    parser.add_argument("--source", required=True, help="the checkout")
    parser.add_argument("--out", required=True, help="the folder to write the zip to")
    args = parser.parse_args()

    missing = [origin for _, origin, _ in LICENCES if not os.path.isfile(origin)]
    if missing:
        sys.exit("make_package: licence texts missing (run scripts/setup): " + ", ".join(missing))
    try:
        files = gather(args)
    except OSError as error:
        sys.exit(f"make_package: {error.filename}: {error.strerror} (build it first)")
    files["SHA256SUMS"] = sums(files)
    os.makedirs(args.out, exist_ok=True)
    name = f"QuindleVelmora-{args.version}-win32.zip"
    path = os.path.join(args.out, name)
    write_zip(path, files, commit_time(args.source))
    digest = hashlib.sha256(read(path)).hexdigest()
    with open(path + ".sha256", "w") as f:
        f.write(f"{digest}  {name}\n")
    print(f"{path}: {os.path.getsize(path)} bytes, {len(files)} files, sha256 {digest}")


if __name__ == "__main__":
    main()
