#!/usr/bin/env python3
"""Checks a running Quorbel from outside, through AT-SPI, as a screen reader
sees it: the ticker strip's named parts and the close glyph's press action,
the description window's text, the announcement of a new item, the
organiser's tab pages, views and menu bar, names that follow a language
change, and the close glyph pressed through its action.

Run by run_atspi_test.sh, which starts the buses, the display and the program.
Usage: atspi_check.py PID
Every failed check is listed; the exit status is 1 when there was one.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import pyatspi  # noqa: E402

TAB_CAPTIONS = ["Time", "WWW", "Video", "Audio", "Feeds", "Tree"]
GERMAN_CAPTIONS = ["Zeit", "WWW", "Video", "Audio", "Feeds", "Baum"]
WELCOME_TITLE = "Stay Tivaleo... Quorbel by quorbel.example.org"
# The one item of the feed file the program is started with (run_atspi_test.sh).
ITEM_TITLE = "Accessible headline"
# What the strip may show as its headline: the welcome item, the first-run
# hint of an empty tree, or the feed's item once it is merged.
HEADLINES = (WELCOME_TITLE, ITEM_TITLE,
             "No news yet: right-click here and choose Paste, or open the organiser to add a feed")
WELCOME_DESCRIPTION = "Keep informed, what's going on in the world."
TICKER_PARTS = {  # name -> role the part must have (None: any)
    "News source": None,
    "Audio": None,
    "Video": None,
    "Close": pyatspi.ROLE_PUSH_BUTTON,
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def log(message):
    print(message, flush=True)


def pump(seconds):
    """Runs the GLib loop so that AT-SPI events come in."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def wait_for(what, probe, seconds=10.0):
    """Polls probe() until it returns something true, or gives up."""
    end = time.monotonic() + seconds
    while True:
        try:
            value = probe()
        except GLib.Error:
            value = None  # the tree changed under the walk: ask again
        if value or time.monotonic() >= end:
            if not value:
                log("gave up waiting for " + what)
            return value
        pump(0.1)


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except GLib.Error:
        return []


def walk(node, depth=0, skip_roles=(pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE)):
    """Every object under node, trees' rows left out (they may be many)."""
    yield node, depth
    if node is None or node.getRole() in skip_roles:
        return
    for child in children(node):
        if child is not None:
            yield from walk(child, depth + 1, skip_roles)


def find_all(root, predicate):
    return [n for n, _ in walk(root) if n is not None and predicate(n)]


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    return None


def states(node):
    return node.getState()


def showing(node):
    s = states(node)
    return s.contains(pyatspi.STATE_SHOWING) and s.contains(pyatspi.STATE_VISIBLE)


def action_names(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def do_action(node, wanted):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == wanted.lower():
            return action.doAction(i)
    return False


def ticker_window(app):
    """The top-level window holding a button (the close glyph): at start the
    strip and its description window are the program's only windows."""
    for window in children(app):
        if window is not None and find_all(window, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON):
            return window
    return None


def organiser_window(app):
    for window in children(app):
        if window is not None and showing(window) and find_all(
                window, lambda n: n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST):
            return window
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=10)


def focus_window(window):
    """Gives the X input focus to the window at the position AT-SPI reports."""
    extents = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + 2, extents.y + 2
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quorbel$"],
                           capture_output=True, text=True, timeout=10).stdout.split()
    for wid in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid],
                                  capture_output=True, text=True, timeout=10).stdout
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        if int(values.get("X", -1)) <= x <= int(values.get("X", -1)) + int(values.get("WIDTH", 0)) and \
                int(values.get("Y", -1)) <= y <= int(values.get("Y", -1)) + int(values.get("HEIGHT", 0)):
            xdotool("windowfocus", "--sync", wid)
            return True
    xdotool("mousemove", str(x), str(y))
    return False


def check_ticker(app):
    ticker = wait_for("the ticker strip", lambda: ticker_window(app))
    if not check(ticker is not None, "no ticker strip (a window with a button) in the tree"):
        return None
    log("ticker strip: '%s'" % ticker.name)
    for name, role in TICKER_PARTS.items():
        parts = find_all(ticker, lambda n, name=name: n.name == name)
        if not check(len(parts) == 1, "ticker part named '%s': found %d, want 1" % (name, len(parts))):
            continue
        part = parts[0]
        check(part.description != "", "ticker part '%s' has no description" % name)
        if role is not None:
            check(part.getRole() == role, "ticker part '%s' has role %s, want %s"
                  % (name, part.getRoleName(), pyatspi.Role(role)))
    close = find_all(ticker, lambda n: n.name == "Close")
    if close:
        names = [n.lower() for n in action_names(close[0])]
        check("press" in names, "the close glyph offers no press action (actions: %s)" % names)
    headline = find_all(ticker, lambda n: n.name in HEADLINES)
    if not headline:
        log("names on the strip: %s" % [n.name for n in find_all(ticker, lambda n: True)])
    if check(len(headline) == 1, "no headline named with one of %s" % (HEADLINES,)):
        check(headline[0].description != "", "the headline has no description (the item's hint)")
    return ticker


def description_text(app):
    """The text of a showing window other than the strip that holds the welcome description."""
    for node in find_all(app, lambda n: WELCOME_DESCRIPTION in (n.name or "")):
        if showing(node):
            return node.name
    for node in find_all(app, lambda n: "Text" in pyatspi.listInterfaces(n)):
        text = node.queryText()
        if WELCOME_DESCRIPTION in text.getText(0, -1) and showing(node):
            return text.getText(0, -1)
    return None


def check_announcement(ticker):
    heard = []

    def on_event(event):
        if event.source is not None and event.source.name == ITEM_TITLE:
            heard.append(event.type)

    listener = Atspi.EventListener.new(on_event)
    listener.register("object:property-change:accessible-name")
    pump(0.5)  # the program learns of the listener before the key comes
    focus_window(ticker)
    wait_for("the feed's item on the strip", lambda: find_all(ticker, lambda n: n.name == ITEM_TITLE), 10)
    xdotool("key", "--clearmodifiers", "Down")  # "Next Rss": the one item again, a new showing
    wait_for("the announcement of the item shown", lambda: heard, 5)
    listener.deregister("object:property-change:accessible-name")
    check(heard, "showing an item sent no accessible-name change for its headline")


def show_organiser(app, ticker):
    focus_window(ticker)
    xdotool("key", "--clearmodifiers", "Menu")
    time.sleep(0.3)
    xdotool("key", "--clearmodifiers", "Down", "Return")  # first entry: "Show All News"
    return wait_for("the organiser window", lambda: organiser_window(app), 10)


def tab_control(organiser):
    """The tab control: the parent of the page tab list, holding the pages."""
    tab_lists = find_all(organiser, lambda n: n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)
    return (tab_lists[0].parent, tab_lists[0]) if tab_lists else (None, None)


def page_trees(organiser):
    control, _ = tab_control(organiser)
    if control is None:
        return []
    return find_all(control, lambda n: n.getRole() in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE))


def check_organiser(organiser, captions):
    control, tab_list = tab_control(organiser)
    if not check(control is not None, "the organiser has no page tab list"):
        return
    tabs = [c.name for c in children(tab_list) if c is not None and c.getRole() == pyatspi.ROLE_PAGE_TAB]
    check(tabs == captions, "page tabs are %s, want %s" % (tabs, captions))
    check(control.name != "", "the tab control has no name")
    trees = page_trees(organiser)
    tree_names = sorted(t.name for t in trees)
    check(tree_names == sorted(captions), "tree views are named %s, want %s" % (tree_names, sorted(captions)))
    for caption in captions:
        pages = find_all(organiser, lambda n, c=caption: n.name == c and n.getRole() not in (
            pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_PAGE_TAB))
        check(len(pages) >= 1, "no tab page named '%s'" % caption)
    nameless = find_all(organiser, lambda n: n.getRole() in (
        pyatspi.ROLE_MENU_BAR, pyatspi.ROLE_PAGE_TAB) + MENU_ROLES and not n.name)
    check(not nameless, "menus or tab lists without a name: %s" % [n.getRoleName() for n in nameless])


def menu_item(menu, name):
    for child in children(menu):
        if child is not None and child.name == name:
            return child
    return None


MENU_ROLES = (pyatspi.ROLE_MENU, pyatspi.ROLE_POPUP_MENU)


def submenu(item):
    kids = [c for c in children(item) if c is not None and c.getRole() in MENU_ROLES]
    return kids[0] if kids else None


def check_menu_bar(organiser):
    bars = find_all(organiser, lambda n: n.getRole() == pyatspi.ROLE_MENU_BAR)
    if not check(len(bars) == 1, "the organiser has %d menu bars, want 1" % len(bars)):
        return None
    bar = bars[0]
    check(bar.name == "Main menu", "the menu bar is named '%s', want 'Main menu'" % bar.name)
    titles = [c.name for c in children(bar)]
    check(titles == ["File", "Edit", "Options", "Help"], "menu bar entries %s" % titles)
    for entry in children(bar):
        menu = submenu(entry) if entry is not None else None
        if check(menu is not None, "menu bar entry '%s' leads to no menu" % entry.name):
            check(menu.name == entry.name, "the '%s' menu is named '%s'" % (entry.name, menu.name))
    return bar


def switch_language(bar, language):
    options = menu_item(bar, "Options")
    options_menu = submenu(options) if options else None
    language_item = menu_item(options_menu, "Language") if options_menu else None
    language_menu = submenu(language_item) if language_item else None
    choice = menu_item(language_menu, language) if language_menu else None
    if not check(choice is not None, "no Options > Language > %s entry reached through AT-SPI" % language):
        return False
    check(do_action(choice, "press"), "the %s entry did not take the press action" % language)
    return True


def main():
    pid = int(sys.argv[1])
    started = time.monotonic()
    app = wait_for("the program on the accessibility bus", lambda: find_app(pid), 15)
    if app is None:
        print("FAIL: process %d never showed up on the AT-SPI bus" % pid)
        return 1
    log("program on the bus as '%s' after %.1f s" % (app.name, time.monotonic() - started))

    ticker = check_ticker(app)
    text = wait_for("the description window", lambda: description_text(app), 5)
    check(text is not None, "no showing object holds the description text '%s'" % WELCOME_DESCRIPTION)
    if ticker is None:
        return 1
    check_announcement(ticker)

    organiser = show_organiser(app, ticker)
    if check(organiser is not None, "the organiser did not show after the strip's menu key, Down, Return"):
        check_organiser(organiser, TAB_CAPTIONS)
        bar = check_menu_bar(organiser)
        if bar is not None and switch_language(bar, "Deutsch"):
            renamed = wait_for("the German names", lambda: sorted(
                t.name for t in page_trees(organiser)) == sorted(GERMAN_CAPTIONS), 5)
            check(renamed, "the view names did not follow the change to Deutsch")
            check_organiser(organiser, GERMAN_CAPTIONS)

    close = find_all(ticker, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON
                     and "press" in [a.lower() for a in action_names(n)])
    if check(len(close) == 1, "the close glyph is gone from the strip"):
        check(do_action(close[0], "press"), "the close glyph did not take the press action")
        hidden = wait_for("the strip to hide", lambda: not showing(ticker), 5)
        check(hidden, "pressing the close glyph through AT-SPI left the strip showing")
        check(description_text(app) is None, "the description window still shows after the close glyph")

    log("checks done in %.1f s" % (time.monotonic() - started))
    if failures:
        print("%d accessibility check(s) failed" % len(failures))
        return 1
    print("all accessibility checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
