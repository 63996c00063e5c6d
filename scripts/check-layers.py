#!/usr/bin/env python3
"""Checks every project #include against the layers of the program.

Each file belongs to the component whose folder is the longest prefix of its path. A component may include
its own headers and those of the components listed for it below; anything else is a sideways or upward
include and fails with one line naming the file, the line and the rule it breaks. The build enforces the
same picture for external libraries (a library without Qt Widgets on its include path cannot include a
widget header); this table does it for our own headers.

Usage: check-layers.py [repository root]   (exit 1 on the first violation list, 0 when clean)
"""
import pathlib
import re
import sys

PLATFORM = ["platform/model", "platform/text", "platform/web", "platform/net", "platform/media", "platform/ui"]
CORES = ["search", "download", "playback", "card", "lan"]
SKIN = ["skin", "skin/controls", "skin/forms"]

# component -> components (or single headers) it may include besides its own
ALLOWED = {
    "platform/model": [],
    "platform/text": [],
    "platform/web": ["platform/text", "platform/model"],
    "platform/net": ["platform/text"],
    "platform/media": ["platform/text", "platform/net"],
    "platform/ui": ["platform/model"],
    "skin": ["platform/text"],
    "skin/controls": ["skin", "platform/model", "platform/text", "platform/ui"],
    "skin/forms": ["skin", "skin/controls", "platform/ui"],
    # The service reads its LAN peers' pages with the program's own page parser.
    "service": ["platform/text", "platform/web/html_parse.h", "platform/web/web_document.h"],
    # Subsystem cores: rules without widgets. They see the plain platform types, never the browser widget.
    "search": ["platform/model", "platform/text", "platform/web/web_document.h"],
    "download": ["platform/model", "platform/text", "platform/net"],
    "playback": ["platform/model", "platform/text"],
    # Finding the LAN's services: a core like the others, with no widget and no other subsystem.
    "lan": ["platform/model", "platform/text", "platform/net", "platform/web/web_document.h"],
    # The player object that page views host: the playback subsystem's one widget part.
    "playback/player": ["playback", "platform/media", "platform/web", "platform/model", "platform/text"],
    # The card page carries the player pages' object lines.
    "card": ["playback", "platform/model", "platform/text"],
    # The app shell sees every core, the skin and the platform; the forms see the shell and the cores.
    "app": CORES + ["playback/player", "service", "app/desktop"] + SKIN + PLATFORM,
    # The program on the desktop: the session bus, behind the interfaces the window and its subsystems share.
    "app/desktop": ["app/shared/error_policy.h", "app/shared/player_remote.h", "app/shared/window_links.h"],
    "download/form": ["app", "download"] + SKIN + PLATFORM,
    "playback/form": ["app", "playback", "playback/player"] + SKIN + PLATFORM,
    "card/form": ["app", "card", "search", "playback", "playback/player"] + SKIN + PLATFORM,
    "tools": ["skin", "platform/text"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def component_of(relative):
    """The component a path below src/ (or tools/) belongs to: the longest listed prefix."""
    best = None
    for name in ALLOWED:
        if relative == name or relative.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def allowed(source, target_path):
    target = component_of(target_path)
    if target is None or target == source:
        return True
    for entry in ALLOWED[source]:
        if target_path == entry or target_path.startswith(entry + "/"):
            # A folder entry admits that component only, not a deeper component of its own.
            if entry.endswith(".h") or component_of(target_path) == entry:
                return True
    return False


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    failures = []
    files = [p for d in ("src", "tools") for p in (root / d).rglob("*") if p.suffix in (".h", ".cpp")]
    for path in sorted(files):
        rel = path.relative_to(root)
        inside = str(rel.relative_to("src")) if rel.parts[0] == "src" else "tools"
        source = component_of(inside)
        if source is None:
            failures.append(f"{rel}: in no layer of scripts/check-layers.py; add its folder to the table")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if component_of(target) is None:
                continue  # a header beside the file, or one the build provides
            if not allowed(source, target):
                failures.append(
                    f"{rel}:{number}: includes {target}: {source} may not see {component_of(target)}")
    for failure in failures:
        print(failure)
    if failures:
        print(f"layer check: {len(failures)} include(s) cross a layer")
        return 1
    print("layer check: every include stays within its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
