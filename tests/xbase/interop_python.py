#!/usr/bin/env python3
"""Python's dbf and dbfread modules (Debian python3-dbf, python3-dbfread), written
independently of Quillon, read the tables and memos Quillon writes; tables and memos written
by python3-dbf (Visual FoxPro 0x30 and FoxPro 0xF5) open in Quillon, which builds its own
index for them.

Usage: interop_python.py QUILLON FIXTURE_PROGRAM WORK_DIR
"""
import datetime
import json
import os
import shutil
import subprocess
import sys

try:
    import dbf
    import dbfread
except ImportError as e:
    print(f"SKIP: {e.name} is not installed (Debian packages python3-dbf, python3-dbfread)")
    sys.exit(77)

quillon, fixture, work = sys.argv[1:4]
failures = 0


def check(ok, what):
    global failures
    print(("ok" if ok else "not ok") + " - " + what)
    if not ok:
        failures += 1


def dump(path):
    out = subprocess.run([quillon, "table", "dump", path, "--all", "--json"], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)


def normal(value):
    if isinstance(value, (datetime.date,)):
        return value.isoformat()
    if isinstance(value, str):
        return value.rstrip()
    if isinstance(value, bytes):
        return value.decode("latin-1").rstrip()
    if isinstance(value, float) and value.is_integer():
        return int(value)
    return value


def quillon_rows(path):
    rows = []
    for r in dump(path)["records"]:
        rows.append((r["deleted"], {k: normal(v) for k, v in r.items()
                                    if k not in ("recno", "deleted")}))
    return rows


def dbfread_rows(path):
    table = dbfread.DBF(path, load=True, char_decode_errors="strict")
    # dbfread lists live and deleted records apart; put them back in file order by position.
    live = [(False, dict(r)) for r in table.records]
    gone = [(True, dict(r)) for r in table.deleted]
    ordered = []
    with open(path, "rb") as f:
        raw = f.read()
    header = int.from_bytes(raw[8:10], "little")
    length = int.from_bytes(raw[10:12], "little")
    count = int.from_bytes(raw[4:8], "little")
    for n in range(count):
        flag = raw[header + n * length:header + n * length + 1]
        ordered.append(gone.pop(0) if flag == b"*" else live.pop(0))
    return [(d, {k: normal(v) for k, v in r.items()}) for d, r in ordered]


# ---- Quillon writes, Python reads
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
subprocess.run([fixture, "write", work], check=True)
for name in ("QLN.DBF", "QLNREC.DBF", "QLNPB.DBF", "rebuilt/QLN.DBF", "BIG.DBF"):
    path = os.path.join(work, name)
    ours, theirs = quillon_rows(path), dbfread_rows(path)
    check(ours == theirs, f"dbfread reads {name} as Quillon does ({len(theirs)} records)")
    if ours != theirs:
        for a, b in zip(ours, theirs):
            if a != b:
                print("  quillon:", a, "\n  dbfread:", b)
                break
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    flags = [dbf.is_deleted(r) for r in table]
    table.close()
    check(flags == [d for d, _ in ours], f"python-dbf sees the same delete flags in {name}")

table = dbf.Table(os.path.join(work, "QLN.DBF"))
table.open(dbf.READ_ONLY)
check(table[0].rtfdoc == "{\\rtf1 document for Zo\u00eb M\u00fcller}", "python-dbf reads a memo")
check(table[2].datesent == datetime.date(2023, 12, 31), "python-dbf reads a date")
table.close()

# ---- Python writes, Quillon reads and indexes
names = ["Zo\u00eb", "adams", "Brown", "carl", "Adams"]
for kind, version in (("vfp", "0x30"), ("fp", "0xF5")):
    path = os.path.join(work, f"peer_{kind}.dbf")
    t = dbf.Table(path, "name C(20); born D; age N(3,0); ok L; notes M", dbf_type=kind,
                  codepage="cp1252")
    t.open(dbf.READ_WRITE)
    for i, name in enumerate(names):
        born = datetime.date(1990 + i, 5, 6) if i != 2 else None
        t.append((name, born, 30 + i, i % 2 == 0, ("memo %d " % i) * (i * 40)))
    dbf.delete(t[3])
    t.close()
    data = dump(path)
    check(data["version"] == version, f"Quillon opens a python-dbf {kind} table ({data['version']})")
    ours = quillon_rows(path)
    check(ours == dbfread_rows(path), f"Quillon reads the {kind} table and its memos as dbfread does")
    order = subprocess.run([fixture, "index", path, "UPPER(NAME)"], check=True,
                           capture_output=True, text=True).stdout.split()
    # Record 4 is flagged deleted, so the walk leaves it out.
    expected = sorted((n for n in range(1, len(names) + 1) if n != 4),
                      key=lambda n: (names[n - 1].upper(), n))
    check([int(n) for n in order] == expected, f"Quillon's own index orders the {kind} table")
    check(quillon_rows(path) == dbfread_rows(path), f"the {kind} table still reads after indexing")
    query = subprocess.run([quillon, "table", "query", path, "AGE > 31 .and. .not. EMPTY(BORN)"],
                           check=True, capture_output=True, text=True).stdout.split()
    check(query == ["5"], f"query on the {kind} table: {query}")

print(f"{failures} failed")
sys.exit(1 if failures else 0)
