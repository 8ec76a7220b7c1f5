#!/usr/bin/env python3
"""Walks the accessible tree of every station window it can open.

Run by scripts/accessibility-check inside a private D-Bus session; the
station is started from $KAVO_STATION. Prints one line per problem and exits
with 1 when there is any.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

NAMED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX,
    pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
    pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_LEVEL_BAR, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG,
    pyatspi.ROLE_CHART,
}
METER_ROLES = {pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_LEVEL_BAR, pyatspi.ROLE_SLIDER}
READING = re.compile(r"\d.*(dBm|dB|%|kB/s|bit/s)|(no |not )", re.IGNORECASE)
MAX_NODES = 4000
MAX_DEPTH = 40


def children(acc):
    try:
        return [acc.getChildAtIndex(i) for i in range(min(acc.childCount, 500))]
    except Exception:  # a window closing while it is walked
        return []


def describe_path(path):
    return " > ".join(path)


def check_node(acc, path, problems):
    role = acc.getRole()
    name = (acc.name or "").strip()
    label = f"{acc.getRoleName()} '{name}'"
    # A frame inside a window is a container; only windows need a title.
    container = role == pyatspi.ROLE_FRAME and path
    if (role in NAMED_ROLES or not path) and not name and not container:
        problems.append(f"no name: {describe_path(path + [label])}")
    if role in METER_ROLES:
        text = f"{name} {acc.description or ''}"
        if not READING.search(text):
            value = acc.queryValue().currentValue if "Value" in pyatspi.listInterfaces(acc) else "?"
            problems.append(f"raw meter value {value}: {describe_path(path + [label])}")
    return label


def walk(window, problems):
    """Checks every node under the window; returns how many it saw."""
    stack = [(window, [])]
    seen = 0
    while stack and seen < MAX_NODES:
        acc, path = stack.pop()
        seen += 1
        label = check_node(acc, path, problems)
        if len(path) < MAX_DEPTH:
            stack.extend((child, path + [label]) for child in reversed(children(acc)))
    return seen


def station_app(pid, deadline):
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == pid:
                    return app
            except Exception:
                continue
        time.sleep(0.2)
    return None


def showing_windows(app):
    """The app's shown windows; a window's title may change, so they are
    told apart by their accessible objects."""
    # A plain top-level widget (the help) is a filler, not a frame.
    return [w for w in children(app) if w.getState().contains(pyatspi.STATE_SHOWING)]


def wait_for_window(app, title, deadline):
    while time.monotonic() < deadline:
        for w in showing_windows(app):
            if w.name == title:
                return w
        time.sleep(0.2)
    return None


def find_named(root, role_set, name):
    stack = [root]
    for _ in range(MAX_NODES):
        if not stack:
            break
        acc = stack.pop()
        if acc.getRole() in role_set and acc.name == name:
            return acc
        stack.extend(children(acc))
    return None


MENU_ITEMS = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM}


def open_and_walk(app, window, items, walked, problems):
    """Triggers each menu item of the window and walks the windows it opens."""
    for item_name in items:
        item = find_named(window, MENU_ITEMS, item_name)
        if item is None:
            problems.append(f"menu item '{item_name}' not found in '{window.name}'")
            continue
        item.queryAction().doAction(0)
        deadline = time.monotonic() + 20
        fresh = []
        while time.monotonic() < deadline and not fresh:
            time.sleep(0.3)
            fresh = [w for w in showing_windows(app) if w not in walked]
        if not fresh:
            problems.append(f"'{item_name}' opened no window")
        for w in fresh:
            walked[w] = (w.name, walk(w, problems))


def run_station(args, first_title, items, walked, problems):
    station = subprocess.Popen([os.environ["KAVO_STATION"], *args],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 60
        app = station_app(station.pid, deadline)
        window = app and wait_for_window(app, first_title, deadline)
        if window is None:
            problems.append(f"window '{first_title}' did not appear")
            return
        time.sleep(1)  # let the first poll fill the window
        walked[window] = (first_title, walk(window, problems))
        open_and_walk(app, window, items, walked, problems)
    finally:
        station.terminate()
        try:
            station.wait(5)
        except subprocess.TimeoutExpired:
            station.kill()
            station.wait(5)


def main():
    problems = []
    walked = {}
    # The first look-up starts the accessibility bus and its registry; a
    # station started before they answer may never register its windows.
    children(pyatspi.Registry.getDesktop(0))
    run_station([], "Kavo Connectivity Window",
                ["Network Options", "GPS Options", "About Kavo Connectivity Window",
                 "Help Topics"], walked, problems)
    run_station(["--remote", "velto:127.0.0.1"], "Velto Monitoring Window",
                ["Change RSSI Threshold", "Change SNR Threshold",
                 "About Velto Monitoring Window"], walked, problems)
    for title, count in walked.values():
        print(f"walked '{title}': {count} accessible objects")
    for problem in problems:
        print(problem)
    print("accessibility check:", "FAILED" if problems else "passed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
