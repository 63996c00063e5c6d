#!/usr/bin/python3
"""The program on a LAN of namespaces, driven as a user drives it, over the accessibility bus.

Run by lan_namespaces.sh inside the client machine, with the program already started on this display.
It checks that the engine chooser lists every service of the LAN within 10 s, that "局域网全部" finds the
songs of all of them in one result list, that a song of another machine downloads byte-identical, and
that a stopped service leaves the chooser within 10 s.

Environment: LANSEEK_LAN_NAMES (the services' names, "|" between them), LANSEEK_LAN_HOSTS (the peers'
host:port, "|" between them), LANSEEK_LAN_SONG (the file the download must equal), LANSEEK_LAN_SAVED
(where the program saves it), LANSEEK_LAN_STOP_PID and LANSEEK_LAN_STOP_NAME (the service to stop).
"""
import os
import subprocess
import sys
import time

import pyatspi


def fail(message):
    print("lan window:", message)
    # A picture of the screen as it was, for whoever reads the failure.
    shot = os.environ.get("LANSEEK_LAN_SHOT")
    if shot:
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size", "1280x1024", "-i",
                        os.environ["DISPLAY"], "-frames:v", "1", shot])
    sys.exit(1)


def nodes(node, role=None):
    found = []
    try:
        if role is None or node.getRoleName() == role:
            found.append(node)
        for i in range(node.childCount):
            found += nodes(node.getChildAtIndex(i), role)
    except Exception:  # a node that went away while we walked
        pass
    return found


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (app.name or "").lower() == "lanseek":
            return app
    return None


def wait_for(what, check, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.25)
    fail(f"{what} within {seconds} s")


def click(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)


def button(app, caption):
    for role in ("push button", "toggle button"):
        for node in nodes(app, role):
            if node.name == caption:
                return node
    fail(f"no button {caption}")


def engine_chooser(app):
    boxes = nodes(app, "combo box")
    return boxes[0] if boxes else None


def entries(box):
    return [item.name for item in nodes(box, "list item")]


def main():
    names = os.environ["LANSEEK_LAN_NAMES"].split("|")
    hosts = os.environ["LANSEEK_LAN_HOSTS"].split("|")
    started = time.monotonic()
    app = wait_for("the program on the accessibility bus", program, 20)
    box = wait_for("the engine chooser", lambda: engine_chooser(app), 10)
    wanted = ["局域网全部"] + ["局域网：" + name for name in names]
    wait_for(f"every service in the chooser ({wanted})",
             lambda: all(entry in entries(box) for entry in wanted), max(1, 10 - (time.monotonic() - started)))
    print(f"lan window: the chooser lists {entries(box)} after {time.monotonic() - started:.1f} s")

    # "局域网全部" comes right after the default service.
    click(box)
    time.sleep(0.7)
    subprocess.run(["xdotool", "key", "Home", "Down", "Return"], check=True)
    wait_for("局域网全部 chosen", lambda: box.name == "局域网全部", 5)

    edit = [node for node in nodes(app, "text") if "歌手名" in (node.name or "")][0]
    edit.queryEditableText().setTextContents("湖")
    button(app, "搜索").queryAction().doAction(0)

    # The result list is the first list on the screen whose cells name a download address.
    def cells():
        for role in ("table cell", "tree item"):
            found = [node for node in nodes(app, role) if node.name]
            if any("http://" in node.name for node in found):
                return found
        return []

    def every_service_listed():
        texts = [node.name for node in cells()]
        return all(any(host in text for text in texts) for host in hosts) and texts

    texts = wait_for("the songs of every service in one list", every_service_listed, 15)
    songs = [text for text in texts if text.startswith("http://")]
    print(f"lan window: one search found {len(songs)} songs from {len(hosts)} services")

    # The song of the other machine goes to the download list and arrives whole.
    song = os.environ["LANSEEK_LAN_SONG"]
    title = os.path.splitext(os.path.basename(song))[0]
    click([node for node in cells() if node.name == title][0])
    time.sleep(0.5)
    button(app, "下").queryAction().doAction(0)
    button(app, "开始下载").queryAction().doAction(0)
    saved = os.environ["LANSEEK_LAN_SAVED"]
    expected = open(song, "rb").read()

    def arrived():
        try:
            return open(saved, "rb").read() == expected
        except OSError:
            return False

    wait_for(f"{saved} byte-identical to {song}", arrived, 20)
    print(f"lan window: {os.path.basename(saved)} downloaded byte-identical ({len(expected)} bytes)")

    # A service that stops leaves the chooser.
    gone = "局域网：" + os.environ["LANSEEK_LAN_STOP_NAME"]
    os.kill(int(os.environ["LANSEEK_LAN_STOP_PID"]), 15)
    stopped = time.monotonic()
    wait_for(f"{gone} gone from the chooser", lambda: gone not in entries(box), 10)
    print(f"lan window: {gone} left the chooser {time.monotonic() - stopped:.1f} s after it stopped")


if __name__ == "__main__":
    main()
