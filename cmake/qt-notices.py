#!/usr/bin/python3
"""Prints the notices of the libraries a Windows build of Qt bundles, from the Qt source's
qt_attribution.json files: name, version, copyright and the licence text of each.

    qt-notices.py QT_SOURCE [MODULE_SOURCE...] > THIRD-PARTY-NOTICES.txt
"""
import json
import pathlib
import sys

# Parts of the Qt sources that a static Windows build without TLS, the public suffix list,
# D-Bus, OpenGL, Vulkan and spatial audio does not contain.
NOT_BUILT = (
    "src/3rdparty/VulkanMemoryAllocator", "src/3rdparty/android", "src/3rdparty/gradle",
    "src/3rdparty/forkfd", "src/3rdparty/libpsl", "src/3rdparty/wasm", "src/3rdparty/xcb",
    "src/dbus", "src/gui/opengl", "src/gui/vulkan", "src/network/kernel",
    "src/plugins/platforms/cocoa",
    "src/3rdparty/eigen", "src/3rdparty/pffft", "src/3rdparty/resonance-audio",
)


def as_list(value):
    return value if isinstance(value, list) else [value]


def main(sources):
    print("Sondrel for Windows contains Qt (https://www.qt.io), used under the GNU Lesser General")
    print("Public License version 3 (LGPL-3.0-only.txt), and these libraries that Qt bundles.")
    paths = [(source, path) for source in sources for path in source.glob("src/**/qt_attribution.json")]
    for source, path in sorted(paths):
        folder = path.parent.relative_to(source).as_posix()
        if folder.startswith(NOT_BUILT):
            continue
        for entry in as_list(json.loads(path.read_text(encoding="utf-8"), strict=False)):
            print("\n" + "=" * 78)
            print(entry["Name"] + (" " + entry["Version"] if entry.get("Version") else ""))
            print("License: " + entry.get("License", ""))
            for line in as_list(entry.get("Copyright", "")):
                print(line)
            files = entry.get("LicenseFiles") or as_list(entry.get("LicenseFile") or [])
            for name in files:
                text = (path.parent / name).read_text(encoding="utf-8", errors="replace")
                print("\n" + text.rstrip())


if __name__ == "__main__":
    main([pathlib.Path(argument) for argument in sys.argv[1:]])
