#!/usr/bin/python3
"""A GTK 3 window with one entry for the injection tests.

Writes the entry's text to --output on every change. --ignore-inserts makes
the entry drop every insertion while claiming success, as some applications
do with accessibility writes.
"""
import argparse
import os

import gi
from gi.repository import GLib

# Named before GTK starts, which is when it registers with AT-SPI.
GLib.set_prgname("parlowind-gtk-target")
GLib.set_application_name("GTK text target")
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def write_output(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8") as file:
        file.write(text)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--text", default="")
    parser.add_argument("--caret", type=int, default=0)
    parser.add_argument("--select", type=int, nargs=2)
    parser.add_argument("--password", action="store_true")
    parser.add_argument("--ignore-inserts", type=int, default=0, metavar="N",
                        help="drop the first N insertions")
    arguments = parser.parse_args()

    # Focusing an entry would otherwise select all of it, losing the caret.
    Gtk.Settings.get_default().set_property("gtk-entry-select-on-focus", False)
    window = Gtk.Window(title="GTK text target")
    window.set_default_size(400, 100)
    entry = Gtk.Entry()
    entry.set_text(arguments.text)
    if arguments.password:
        entry.set_visibility(False)
    ignored = [0]

    def on_insert(editable, *rest):
        if ignored[0] < arguments.ignore_inserts:
            ignored[0] += 1
            editable.stop_emission_by_name("insert-text")

    entry.connect("insert-text", on_insert)
    entry.connect("changed", lambda editable: write_output(arguments.output, editable.get_text()))
    window.add(entry)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    entry.grab_focus()
    if arguments.select:
        entry.select_region(*arguments.select)
    else:
        entry.set_position(arguments.caret)
    write_output(arguments.output, arguments.text)
    Gtk.main()


if __name__ == "__main__":
    main()
