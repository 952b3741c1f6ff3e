#!/usr/bin/python3
"""Asks the X window whose name contains NAME to close, as a window manager's close button does
(WM_DELETE_WINDOW), once it has appeared. Exit 0 when the request was sent, 1 when no such window
came up within the time given."""
import sys
import time

from Xlib import X, display, protocol


def find(window, name):
    wm_name = window.get_wm_name()
    if isinstance(wm_name, bytes):
        wm_name = wm_name.decode('utf-8', 'replace')
    if wm_name and name in wm_name and window.get_attributes().map_state == X.IsViewable:
        return window
    for child in window.query_tree().children:
        found = find(child, name)
        if found is not None:
            return found
    return None


def main():
    name, seconds = sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 30.0
    d = display.Display()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        window = find(d.screen().root, name)
        if window is not None:
            time.sleep(1.0)  # the window's start-up has settled
            delete = d.intern_atom('WM_DELETE_WINDOW')
            event = protocol.event.ClientMessage(window=window, client_type=d.intern_atom('WM_PROTOCOLS'),
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event)
            d.flush()
            return 0
        time.sleep(0.2)
    return 1


sys.exit(main())
