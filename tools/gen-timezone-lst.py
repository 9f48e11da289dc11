#!/usr/bin/env python3
"""Writes data/TimeZone.lst from tools/timezone-cities.tsv and the system's time zone database.

    tools/gen-timezone-lst.py [--year YEAR] [--table TSV] [--out FILE]

The year defaults to the one the table records in its first line ("# year 2026"). For each city
the file holds the zone's standard offset and, where the zone keeps daylight saving that year,
its start and end written in the city's standard time, so the clock's comparison in standard
time switches at the real instants. The format holds neither a shift other than one hour nor
rules such as "last Sunday": the dates are exact for the year written and off by a few days in
other years. The file is GBK with CR LF line breaks.
"""
import argparse
import datetime as dt
import os
import sys
from zoneinfo import ZoneInfo

HERE = os.path.dirname(os.path.abspath(__file__))
NUMERALS = ["零", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十",
            "十一", "十二", "十三", "十四"]
UTC = dt.timezone.utc


def read_table(path):
    year, rows = None, []
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("#"):
                if year is None and line.startswith("# year "):
                    year = int(line[7:].strip())
                continue
            if not line.strip():
                continue
            cols = line.split("\t")
            if len(cols) != 5:
                sys.exit(f"{path}:{n}: expected 5 tab-separated columns")
            rows.append(cols)
    return year, rows


def offset_at(zone, instant):
    return int(instant.astimezone(zone).utcoffset().total_seconds())


def transitions(zone, year):
    """(instant, offset after) of every offset change in the year, to the second."""
    start = dt.datetime(year, 1, 1, tzinfo=UTC) - dt.timedelta(days=1)
    end = dt.datetime(year + 1, 1, 1, tzinfo=UTC) + dt.timedelta(days=1)
    found = []
    t, prev = start, offset_at(zone, start)
    step = dt.timedelta(hours=1)
    while t < end:
        nxt = t + step
        off = offset_at(zone, nxt)
        if off != prev:
            lo, hi = t, nxt  # offset at lo is prev, at hi is off
            while hi - lo > dt.timedelta(seconds=1):
                mid = lo + (hi - lo) / 2
                if offset_at(zone, mid) == prev:
                    lo = mid
                else:
                    hi = mid
            found.append((hi, off))
            prev = off
        t = nxt
    return [(i, o) for i, o in found if i.year == year]


def hours_text(seconds):
    h = seconds / 3600
    return str(int(h)) if h == int(h) else f"{h:g}"


def zone_text(seconds):
    h = seconds / 3600
    sign = "+" if seconds >= 0 else "-"
    text = f"UTC/GMT {sign}{hours_text(abs(seconds))} 小时"
    if seconds == 0:
        return "UTC/GMT 0 小时 (零时区)"
    if h == int(h):
        return f"{text} ({'东' if h > 0 else '西'}{NUMERALS[abs(int(h))]}区)"
    return text


def dst_text(instant, standard):
    local = instant.astimezone(UTC) + dt.timedelta(seconds=standard)
    return f"{local.month}/{local.day} {local.hour}:{local.minute:02d}"


def city_line(row, year):
    zone_id, country, city, second, position = row
    zone = ZoneInfo(zone_id)
    jan = offset_at(zone, dt.datetime(year, 1, 1, tzinfo=UTC))
    changes = transitions(zone, year)
    offsets = {jan} | {o for _, o in changes}
    start = end = ""
    if len(offsets) == 1:
        standard = jan
    elif len(offsets) == 2 and len(changes) == 2 and max(offsets) - min(offsets) == 3600:
        standard = min(offsets)
        for instant, off in changes:
            if off > standard:
                start = dst_text(instant, standard)
            else:
                end = dst_text(instant, standard)
    else:
        raise SystemExit(f"{zone_id}: {len(changes)} changes in {year} between offsets "
                         f"{sorted(offsets)}: the file cannot hold this zone")
    return "|".join([hours_text(standard), country, second, city, zone_text(standard), position,
                     start, end])


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--table", default=os.path.join(HERE, "timezone-cities.tsv"))
    ap.add_argument("--out", default=os.path.join(HERE, "..", "data", "TimeZone.lst"))
    ap.add_argument("--year", type=int)
    args = ap.parse_args()
    recorded, rows = read_table(args.table)
    year = args.year or recorded
    if not year:
        sys.exit("no year: give --year or a first line '# year YYYY' in the table")
    seen, last = set(), None
    for row in rows:
        if row[1] != last and row[1] in seen:
            sys.exit(f"{row[1]}: the country's cities must stand together")
        seen.add(row[1])
        last = row[1]
    text = "".join(city_line(r, year) + "\r\n" for r in rows)
    with open(args.out, "wb") as f:
        f.write(text.encode("gbk"))


if __name__ == "__main__":
    main()
