"""What the scripts that drive Plumor through AT-SPI share: the bus pumped
while waiting, and the walk of an object's tree."""
import time

from gi.repository import GLib


def pomper(secondes, jusqua=lambda: False):
    fin = time.monotonic() + secondes
    while time.monotonic() < fin and not jusqua():
        GLib.MainContext.default().iteration(False)
        time.sleep(0.005)
    return jusqua()


def tous(a):
    yield a
    for enfant in (a.getChildAtIndex(i) for i in range(a.childCount)):
        if enfant is not None:
            yield from tous(enfant)
