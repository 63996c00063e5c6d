#!/usr/bin/env python3
"""Checks every project #include against the layers of the program.

Each folder of src/ that holds code has its own entry in the table below, and tools/ has one. A file
belongs to the component of its folder; a header it includes belongs to the component whose folder is the
longest listed prefix of the header's path. A component may include its own headers and those of the
components listed for it; anything else is a sideways or upward include and fails with one line naming the
file, the line and the rule it breaks. A file in a folder without an entry of its own fails too, so that a
new folder is placed in the picture before it grows.

Both forms of #include are read. A header counts as ours when it names a file below src/ or tools/ (for
"..." also one beside the including file); every other header is the system's, Qt's or another library's,
and the build keeps those in their layers (a library without Qt Widgets on its include path cannot include
a widget header).

Usage: check-layers.py [repository root]   (exit 1 on the first violation list, 0 when clean)
"""
import pathlib
import re
import sys

PLATFORM = [
    "platform/log", "platform/model", "platform/text", "platform/web", "platform/net", "platform/media",
    "platform/ui",
]
CORES = ["search", "download", "playback", "card"]
SKIN = ["skin", "skin/objects", "skin/controls", "skin/forms"]
APP_PARTS = ["app/shared", "app/search", "app/download", "app/playback", "app/card", "app/skin", "app/desktop"]

# component -> components (or single headers) it may include besides its own
ALLOWED = {
    "platform/log": [],
    "platform/model": [],
    "platform/text": [],
    "platform/web": ["platform/log", "platform/text", "platform/model"],
    "platform/net": ["platform/log", "platform/text"],
    "platform/media": ["platform/log", "platform/text", "platform/net"],
    "platform/ui": ["platform/model"],
    # The object model and the rest of the engine are one library: the engine's umbrella header
    # skin/skin_objects.h gathers the objects, and the objects read the stream, the forms and the hue.
    "skin": ["skin/objects", "platform/log", "platform/text"],
    "skin/objects": ["skin", "platform/text"],
    "skin/controls": ["skin", "skin/objects", "platform/model", "platform/text", "platform/ui"],
    "skin/forms": ["skin", "skin/objects", "skin/controls", "platform/ui"],
    # The service reads its LAN peers' pages with the program's own page parser.
    "service": ["platform/log", "platform/text", "platform/web/html_parse.h", "platform/web/web_document.h"],
    # Subsystem cores: rules without widgets. They see the plain platform types, never the browser widget.
    "search": ["platform/log", "platform/model", "platform/text", "platform/web/web_document.h"],
    "download": ["platform/log", "platform/model", "platform/text", "platform/net"],
    "playback": ["platform/log", "platform/model", "platform/text"],
    # The player object that page views host: the playback subsystem's one widget part.
    "playback/player": ["playback", "platform/media", "platform/web", "platform/model", "platform/text"],
    # The card page carries the player pages' object lines.
    "card": ["playback", "platform/log", "platform/model", "platform/text"],
    # LAN discovery is a core like the subsystems: rows, text and the HTTP client, no widgets.
    "lan": ["platform/log", "platform/model", "platform/text", "platform/net", "platform/web/web_document.h"],
    # The window and start-up see every part of the window, every core, the skin and the platform.
    "app": APP_PARTS + CORES + ["lan", "playback/player", "service"] + SKIN + PLATFORM,
    # The parts of the window, one per subsystem, over what they share. None of them sees another part
    # (app/shared aside) or the window itself.
    "app/shared": CORES + PLATFORM,
    "app/search": ["app/shared", "search", "lan"] + SKIN + PLATFORM,
    "app/download": ["app/shared", "download"] + SKIN + PLATFORM,
    "app/playback": ["app/shared", "playback", "playback/player"] + SKIN + PLATFORM,
    "app/card": ["app/shared", "card", "search", "playback", "playback/player"] + SKIN + PLATFORM,
    # The window's look: skins and hues on both engines, from the system and tray menus.
    "app/skin": ["app/shared"] + SKIN + PLATFORM,
    # The program on the desktop: the session bus, behind the interfaces the window and its parts share.
    "app/desktop": ["app/shared"] + PLATFORM,
    "tools": ["skin", "platform/text"],
}

# Both forms; the quote or bracket that opens the name tells them apart.
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".cpp")


def component_of(relative):
    """The component a header path below src/ belongs to: the longest listed prefix, or None."""
    best = None
    for name in ALLOWED:
        if relative == name or relative.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def component_of_file(root, path):
    """The component of a file of the repository: tools/ is one, and below src/ the file's own folder."""
    rel = path.relative_to(root)
    if rel.parts[0] == "tools":
        return "tools"
    return str(rel.parent.relative_to("src")).replace("\\", "/")


def resolve(root, including, form, name):
    """The file of ours an include names, or None for a header that is not the project's."""
    candidates = []
    if form == '"':
        candidates.append(including.parent / name)
    candidates += [root / "src" / name, root / "tools" / name]
    for candidate in candidates:
        if candidate.is_file():
            resolved = candidate.resolve()
            for top in ("src", "tools"):
                base = (root / top).resolve()
                if resolved == base or base in resolved.parents:
                    return resolved.relative_to(root.resolve())
    return None


def allowed(source, target_rel):
    """Whether component source may include the header at target_rel (a path below src/)."""
    target = component_of(target_rel)
    if target is None or target == source:
        return True
    for entry in ALLOWED.get(source, []):
        if entry.endswith(".h"):
            if target_rel == entry:
                return True
        elif target == entry:
            # A folder entry admits that component only, not a deeper component of its own.
            return True
    return False


def check(root):
    """The violation lines for the repository at root, in file order."""
    failures = []
    files = [p for d in ("src", "tools") for p in (root / d).rglob("*") if p.suffix in SOURCE_SUFFIXES]
    for path in sorted(files):
        rel = path.relative_to(root)
        source = component_of_file(root, path)
        if source not in ALLOWED:
            failures.append(f"{rel}: its folder {source} has no entry of its own in scripts/check-layers.py;"
                            " add one with what the folder may include")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            form, name = match.group(1), match.group(2).strip()
            target = resolve(root, path, form, name)
            if target is None:
                continue  # the system's, Qt's or another library's header
            if target.parts[0] == "tools":
                target_component = "tools"
                ok = source == "tools"
            else:
                target_rel = str(pathlib.PurePosixPath(*target.parts[1:]))
                target_component = component_of(target_rel)
                ok = allowed(source, target_rel)
            if not ok:
                failures.append(f"{rel}:{number}: includes {name}: {source} may not see {target_component}")
    return failures


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    failures = check(root)
    for failure in failures:
        print(failure)
    if failures:
        print(f"layer check: {len(failures)} problem(s): an include crosses a layer or a folder has no entry")
        return 1
    print("layer check: every include stays within its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
