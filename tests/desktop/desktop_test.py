"""The window driven by keys alone (xdotool) and read through AT-SPI, as a
screen reader reads it. run.sh starts it in its own D-Bus session and X
display, with board simulators as COM1 and COM2."""
import os
import subprocess
import sys
import time

import pyatspi as at

PROGRAM, DATA, SIM_LOG, SIM_HEX = sys.argv[1:5]
failures = []


def check(ok, what):
    print(("ok: " if ok else "FAILED: ") + what, flush=True)
    failures.extend([] if ok else [what])


def finish():
    if program.poll() is None:
        program.kill()
    print(f"{len(failures)} failed" if failures else "all passed", flush=True)
    sys.exit(1 if failures else 0)


def key(*keys):
    for k in keys:
        subprocess.run(["xdotool", "key", k], check=True)
        time.sleep(0.3)


def wait_for(find, what, seconds=15):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            if found := find():
                return found
        except Exception:  # an object gone while it was read
            pass
        time.sleep(0.2)
    check(False, what)
    finish()


def has(obj, state):
    return obj.getState().contains(state)


def walk(obj):
    """The visible objects below obj, a big table's cells left out."""
    for child in obj:
        if child is not None and has(child, at.STATE_VISIBLE):
            yield child
            if not (child.getRole() == at.ROLE_TABLE and child.childCount > 200):
                yield from walk(child)


NAMED = {at.ROLE_MENU_ITEM, at.ROLE_PUSH_BUTTON, at.ROLE_CHECK_BOX, at.ROLE_TABLE, at.ROLE_POPUP_MENU,
         at.ROLE_MENU_BAR, at.ROLE_PROGRESS_BAR, at.ROLE_TEXT}


def check_named(root, what):
    """A table's cell may be empty: it is heard with its column's header, which must not be."""
    objects = [root, *walk(root)]
    unnamed = [o.getRoleName() for o in objects if (has(o, at.STATE_FOCUSABLE) or o.getRole() in NAMED)
               and o.getRole() != at.ROLE_TABLE_CELL and (not o.name.strip() or o.getRole() == at.ROLE_UNKNOWN)]
    unnamed += [f"column {n} of {o.name}" for o in objects if o.getRole() == at.ROLE_TABLE
                for n in range(o.queryTable().nColumns) if not o.queryTable().getColumnDescription(n)]
    check(not unnamed, f"every focusable object of {what} has a name and a role {unnamed or ''}")


def window(predicate):
    """The active window of the program, where it fits predicate."""
    app = next(a for a in at.Registry.getDesktop(0) if a is not None and a.name == "programator")
    return next((w for w in app if w is not None and has(w, at.STATE_ACTIVE) and predicate(w)), None)


def find(root, role, name=None):
    return next((o for o in walk(root) if o.getRole() == role and name in (None, o.name)), None)


def focused(root):
    """What has the keyboard focus; a table's current cell only while its table has it."""
    found = [o for o in walk(root) if has(o, at.STATE_FOCUSED)
             and (has(o, at.STATE_FOCUSABLE) or o.getRole() == at.ROLE_MENU_ITEM)]
    return next((o for o in reversed(found) if o.getRole() != at.ROLE_TABLE_CELL or has(o.parent, at.STATE_FOCUSED)),
                None)


program = subprocess.Popen([PROGRAM])
window_bin = open(os.path.join(DATA, "sdcc_blink.window.bin"), "rb").read()
frame = wait_for(lambda: window(lambda w: w.name == "Programator KTQ-51"), "the main window appears")
check_named(frame, "the main window")
grid = find(frame, at.ROLE_TABLE)
table = grid.queryTable()
check(grid.name == "Programovaná data" and (table.nRows, table.nColumns) == (256, 17),
      f"the grid is a 256 x 17 table named {grid.name!r}")
check((table.getRowDescription(1), table.getColumnDescription(0), table.getColumnDescription(16)) == ("3010", "Adresa", "F"),
      "the grid's rows are headed by their address, its columns by Adresa and 0..F")
first = table.getAccessibleAt(0, 1)
check(first.name == "3000: FF" and has(first, at.STATE_FOCUSED), "at start the current cell is 3000: FF")

# Each menu, opened from the keyboard: Alt, then the arrows.
for n, title in enumerate(["Soubor", "Nástroje", "Nastavení", "Nápověda"]):
    key("alt", *["Right"] * n, "Down")
    check_named(wait_for(lambda: find(frame, at.ROLE_POPUP_MENU, title), f"Alt opens the menu {title}"),
                f"the menu {title}")
    key("Escape", "Escape")

# Otevřít: Ctrl+O, the file's name typed into the dialog, Enter.
key("ctrl+o")
wait_for(lambda: window(lambda w: w.name != "Programator KTQ-51"), "Ctrl+O opens the file dialog")
subprocess.run(["xdotool", "type", "--delay", "20", os.path.join(DATA, "sdcc_blink.hex")], check=True)
key("Return")
loaded = f"3000: {window_bin[0]:02X}"
wait_for(lambda: table.getAccessibleAt(0, 1).name == loaded, f"the file loads: the first cell reads {loaded}")
check(has(table.getAccessibleAt(0, 1), at.STATE_FOCUSED), "after the load the grid has a current cell")

# Programuj: Ctrl+P, Enter on the question.
key("ctrl+p")
question = wait_for(lambda: window(lambda w: "přeprogramovat" in w.description), "Ctrl+P asks first")
check_named(question, "the question box")
check(question.description == "Opravdu chcete přeprogramovat KTQ - 51?" and focused(question).name == "Ano",
      "the question box is described by its text, its Ano has the focus")
key("Return")
progress = wait_for(lambda: window(lambda w: find(w, at.ROLE_PROGRESS_BAR)), "Enter starts: the progress box")
check_named(progress, "the progress box")
bar = find(progress, at.ROLE_PROGRESS_BAR)
value = bar.queryValue()
check(bar.name == "Průběh" and value.maximumValue == 16384 and 0 < value.currentValue <= 16384,
      f"the bar Průběh has moved from 0 to {value.currentValue:.0f} of {value.maximumValue:.0f}")
result = wait_for(lambda: window(lambda w: w.description.startswith("Programovani")), "the result box appears", 30)
check(result.description == "Programovani proběhlo v pořádku" and focused(result).name == "OK",
      f"the result box has the result as its description ({result.description!r}) and the focus")
key("space")
wait_for(lambda: window(lambda w: w.name == "Programator KTQ-51"), "Space closes the result box")

# What the board got: 16384 bytes at 19200 8N1, exactly the file's window.
log = wait_for(lambda: next((t for t in [open(SIM_LOG, encoding="utf-8").read()] if "paměť" in t), None),
               "the simulator reports the transfer")
received = bytearray(b"\xff" * 4096)
for line in open(SIM_HEX):
    record = bytes.fromhex(line.strip()[1:])
    offset = (record[1] << 8 | record[2]) - 0x3000
    received[offset:offset + record[0]] = record[4:4 + record[0]]
check("přijato 16384 bajtů" in log and "19200 Bd, 8 datových bitů, bez parity, 1 stop bit, výstup beze změn" in log,
      "the simulator got 16384 bytes at 19200 8N1")
check(bytes(received) == window_bin, "the board holds exactly tests/data/sdcc_blink.window.bin")

# The class set: Ctrl+Shift+P, Space on the check box, Tab to the buttons.
key("ctrl+shift+p")
dialog = wait_for(lambda: window(lambda w: w.name == "Programování všech desek"), "Ctrl+Shift+P opens the class set")
check_named(dialog, "the class-set dialog")
boards = find(dialog, at.ROLE_TABLE, "Desky")
port = boards.queryTable().getAccessibleAt(0, 0) if boards else None
check(port is not None and port.name.startswith("COM1") and has(port, at.STATE_CHECKED)
      and has(port, at.STATE_FOCUSED), "the table Desky has COM1 checked and current")
key("space")
check(not has(boards.queryTable().getAccessibleAt(0, 0), at.STATE_CHECKED), "Space unchecks COM1")
key("Tab")
check(focused(dialog).name == "Programuj", f"Tab goes from the table to Programuj ({focused(dialog).name!r})")
key("Tab")
check(focused(dialog).name == "Zavřít", f"Tab goes on to Zavřít, the others being greyed ({focused(dialog).name!r})")
key("Return")
wait_for(lambda: window(lambda w: w.name == "Programator KTQ-51"), "Enter on Zavřít closes the class set")

# Diagnostika, from the keyboard through Nápověda.
key("alt", "Right", "Right", "Right", "Down", "Down", "Return")
diagnosis = wait_for(lambda: window(lambda w: w.name == "Diagnostika"), "Nápověda, Diagnostika… opens the diagnosis")
check_named(diagnosis, "the diagnosis dialog")
check(focused(diagnosis).name == "Diagnostika", "the diagnosis text has the focus")
key("Tab", "Tab")
check(focused(diagnosis).name == "Zavřít", "Tab, Tab reaches Zavřít")
key("Return")
wait_for(lambda: window(lambda w: w.name == "Programator KTQ-51"), "Enter on Zavřít closes the diagnosis")

# A port chosen in Nastavení: COM1 in use is greyed, Down and Enter take COM2.
key("alt", "Right", "Right", "Down")
ports = wait_for(lambda: find(frame, at.ROLE_POPUP_MENU, "Nastavení"), "Nastavení opens")
check(getattr(focused(ports), "name", None) == "COM2", "the menu starts at COM2, COM1 being in use")
key("Return")
key("alt", "Right", "Right", "Down")
items = {o.name: has(o, at.STATE_SENSITIVE) for o in walk(find(frame, at.ROLE_POPUP_MENU, "Nastavení"))}
check(items.get("COM1") is True and items.get("COM2") is False, f"COM2 is the port in use now: {items}")
key("Escape", "Escape")

# Konec: Ctrl+K closes the window and ends the program.
key("ctrl+k")
status = wait_for(lambda: program.poll() is not None and f"status {program.returncode}", "Ctrl+K ends the program")
check(status == "status 0", f"Ctrl+K ends the program ({status})")
finish()
