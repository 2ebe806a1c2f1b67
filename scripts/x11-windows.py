#!/usr/bin/python3
"""Small X11 helper for scripts that drive Lumaru on a display without a window manager.

  x11-windows.py list
  x11-windows.py wait CLASS MIN_WIDTH MIN_HEIGHT [TIMEOUT] [TITLE]
        waits for a shown top-level window of CLASS at least that large (and with that exact
        title when given); prints its id and title
  x11-windows.py close ID        asks the window to close, as a window manager's close button does
  x11-windows.py press ID KEY    focuses the window and presses KEY (e.g. Return) through XTEST
  x11-windows.py title ID        prints the window's title

CLASS is matched, ignoring case, against both parts of WM_CLASS. Needs python3-xlib.
"""

import sys
import time

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest


def title_of(d, window):
    utf8 = d.intern_atom("UTF8_STRING")
    prop = window.get_full_property(d.intern_atom("_NET_WM_NAME"), utf8)
    if prop and prop.value:
        value = prop.value
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
    name = window.get_wm_name()
    if isinstance(name, bytes):
        return name.decode("latin-1")
    return name or ""


def top_levels(d):
    for window in d.screen().root.query_tree().children:
        try:
            attributes = window.get_attributes()
            geometry = window.get_geometry()
            wm_class = window.get_wm_class() or ()
        except Exception:  # the window went away meanwhile
            continue
        yield window, attributes.map_state == X.IsViewable, geometry, wm_class


def matches(wm_class, wanted):
    return any(wanted.lower() in part.lower() for part in wm_class)


def wait(d, wanted, min_width, min_height, timeout, title=None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for window, shown, geometry, wm_class in top_levels(d):
            if (shown and matches(wm_class, wanted) and geometry.width >= min_width
                    and geometry.height >= min_height
                    and (title is None or title_of(d, window) == title)):
                print(f"0x{window.id:x} {title_of(d, window)}")
                return 0
        time.sleep(0.1)
    print(f"no window of class {wanted} appeared within {timeout} s", file=sys.stderr)
    return 1


def close(d, window):
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    d.flush()
    return 0


def press(d, window, key):
    window.set_input_focus(X.RevertToParent, X.CurrentTime)
    d.sync()
    keycode = d.keysym_to_keycode(XK.string_to_keysym(key))
    if not keycode:
        print(f"unknown key {key}", file=sys.stderr)
        return 1
    xtest.fake_input(d, X.KeyPress, keycode)
    xtest.fake_input(d, X.KeyRelease, keycode)
    d.sync()
    return 0


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    d = display.Display()
    command, args = argv[1], argv[2:]
    if command == "list":
        for window, shown, geometry, wm_class in top_levels(d):
            print(f"0x{window.id:x} shown={int(shown)} {geometry.width}x{geometry.height}"
                  f"+{geometry.x}+{geometry.y} class={'/'.join(wm_class)} "
                  f"title={title_of(d, window)!r}")
        return 0
    if command == "wait" and len(args) >= 3:
        timeout = float(args[3]) if len(args) > 3 else 60
        title = args[4] if len(args) > 4 else None
        return wait(d, args[0], int(args[1]), int(args[2]), timeout, title)
    if command in ("close", "press", "title") and args:
        window = d.create_resource_object("window", int(args[0], 0))
        if command == "close":
            return close(d, window)
        if command == "press" and len(args) > 1:
            return press(d, window, args[1])
        if command == "title":
            print(title_of(d, window))
            return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
