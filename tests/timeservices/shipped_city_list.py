#!/usr/bin/env python3
"""The shipped data/TimeZone.lst: it is what tools/gen-timezone-lst.py makes from
tools/timezone-cities.tsv for the recorded year, and every city shows the zone database's time
(read through `tobu worldtime`) away from transitions and half an hour around each one."""
import datetime as dt
import importlib.util
import json
import os
import subprocess
import sys
import tempfile
from zoneinfo import ZoneInfo

src = os.environ.get("TOBU_SOURCE_DIR") or os.path.join(os.path.dirname(__file__), "..", "..")
tobu = sys.argv[1]
gen_path = os.path.join(src, "tools", "gen-timezone-lst.py")
found = importlib.util.spec_from_file_location("gen", gen_path)
gen = importlib.util.module_from_spec(found)
found.loader.exec_module(gen)

shipped = os.path.join(src, "data", "TimeZone.lst")
table = os.path.join(src, "tools", "timezone-cities.tsv")
year, rows = gen.read_table(table)
failures = []

with tempfile.TemporaryDirectory() as tmp:
    out = os.path.join(tmp, "TimeZone.lst")
    subprocess.run([sys.executable, gen_path, "--table", table, "--out", out], check=True)
    if open(out, "rb").read() != open(shipped, "rb").read():
        failures.append("data/TimeZone.lst differs from what the generator writes for %d" % year)

countries = [r[1] for r in rows]
if len(rows) < 100 or len(set(countries)) < 60:
    failures.append("fewer than 100 cities or 60 countries")

utc = dt.timezone.utc
# A city's end of daylight saving is inclusive: at the very millisecond of the change it still
# reads daylight time. Another city's instant may fall exactly there; it is not compared.
changes = {r[0]: {i for i, _ in gen.transitions(ZoneInfo(r[0]), year)} for r in rows}
instants = {dt.datetime(year, m, 15, 12, tzinfo=utc) for m in (1, 4, 6, 7, 9, 11)}
for r in rows:
    for instant, _ in gen.transitions(ZoneInfo(r[0]), year):
        instants.add(instant - dt.timedelta(minutes=30))
        instants.add(instant + dt.timedelta(minutes=30))
instants = sorted(instants)
args = [tobu, "worldtime", "--json", "--file", shipped]
for i in instants:
    args += ["--at", i.strftime("%Y-%m-%d %H:%M:%S")]
run = subprocess.run(args, capture_output=True, text=True, env=dict(os.environ, TZ="UTC"))
if run.returncode != 0:
    failures.append("tobu worldtime failed: " + run.stderr)
objects = [json.loads(l) for l in run.stdout.splitlines()]
if len(objects) != len(instants) * len(rows):
    failures.append("expected %d cities, got %d" % (len(instants) * len(rows), len(objects)))
else:
    indexes = [o["countryIndex"] for o in objects[: len(rows)]]
    if len(set(indexes)) != len(set(countries)):
        failures.append("a country appears more than once in the box")
    for k, o in enumerate(objects):
        instant, row = instants[k // len(rows)], rows[k % len(rows)]
        if instant in changes[row[0]]:
            continue
        want = instant.astimezone(ZoneInfo(row[0])).strftime("%Y-%m-%d %H:%M:%S")
        if o["local"] != want or o["second"] != row[3]:
            failures.append("%s at %s: %s, the zone database says %s"
                            % (row[3], o["at"], o["local"], want))

for f in failures[:20]:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
