#!/usr/bin/env python3
"""Makes the example data files beside the example dictionaries:

  examples/household.dat       read through examples/household.ddw (ORVA 4.1); the ORVA 3.1
                               dictionary examples/household-orva31.dd has the same layout
  examples/household-vesk.dat  read through examples/household-vesk.dic (VESK)

Not part of the build: the .dat files are committed, and this script is kept to say how they
were made and to make them again. It reads nothing: the positions below are copied by hand
from the dictionaries (`travo-convert-cli inspect DICT` shows them), so a change of an
example layout must be made here too. The random generator has a fixed seed per file:
running the script again writes the same bytes.

Besides ordinary answers the files hold what a reader must cope with: "not stated" codes,
blank numeric fields, blanks that mean not applicable, partly filled occurrences, a few
fields that are no number, implied decimals, CP850 names (Müller, Peña, Zoë, ...), and lines
cut short after their last non-blank character. `--notes` lists the lines that hold the
rare cases, for the tests that rely on them.

Usage: python3 scripts/make-example-data.py [--notes]
"""

import os
import random
import sys

ENCODING = "cp850"  # the OEM code page the old packages wrote texts in
INTERVIEW_YEAR = 2019

MALE = ["John", "Peter", "José", "Jürgen", "Björn", "François", "Søren", "Ahmed", "Luis",
        "Kwame", "Tomás", "Ivan", "André", "Mario", "Samuel", "Joël", "David", "Óscar"]
FEMALE = ["Mary", "Anna", "Zoë", "Chloé", "Inês", "Åsa", "Renée", "Fatima", "Grace",
          "María", "Ana", "Leonor", "Hélène", "Amina", "Sofía", "Irène", "Ruth", "Maëlle"]
SURNAMES = ["Müller", "Peña", "Núñez", "Ødegård", "Çelik", "García", "Smith", "Okafor",
            "Dubois", "Jensen", "Silva", "Brown", "Mensah", "Lefèvre", "Schäfer", "Jones",
            "Nguyen", "Öztürk", "Ruiz", "Banda"]


class Line:
    """One fixed-width record, filled by 1-based positions as the dictionaries give them."""

    def __init__(self, length):
        self.chars = bytearray(b" " * length)

    def put(self, start, width, text):
        data = text.encode(ENCODING) if isinstance(text, str) else text
        if len(data) > width:
            raise ValueError(f"{text!r} does not fit {width} columns at {start}")
        data = data.ljust(width)
        self.chars[start - 1:start - 1 + width] = data

    def number(self, start, width, value, decimals=0, zeros=False):
        """A number right-aligned; decimals implied (the digits without a point)."""
        if value is None:
            return self.put(start, width, "")
        digits = str(round(value * 10 ** decimals))
        self.put(start, width, digits.rjust(width, "0" if zeros else " "))

    def text(self, cut):
        data = bytes(self.chars)
        return data.rstrip(b" ") if cut else data


class Output:
    """The lines of one file, with the rare cases placed and noted by line number."""

    def __init__(self, rng, cut_share):
        self.rng = rng
        self.cut_share = cut_share  # lines written without their trailing blanks
        self.lines = []
        self.counts = {}
        self.notes = []
        self.short = {}  # record type: numbers of the lines cut short

    def add(self, kind, line, case=None):
        """Adds the line; a rare case (start, text, what it is) overwrites its columns first."""
        if case:
            start, text, note = case
            line.put(start, len(text), text)
            self.notes.append(f"line {len(self.lines) + 1}: {kind}: {note}")
        data = line.text(cut=self.rng.random() < self.cut_share)
        self.lines.append(data)
        self.counts[kind] = self.counts.get(kind, 0) + 1
        if len(data) < len(line.chars):
            self.short.setdefault(kind, []).append(len(self.lines))

    def write(self, path):
        with open(path, "wb") as f:
            f.write(b"".join(data + b"\n" for data in self.lines))


def sometimes(rng, share):
    return rng.random() < share


def members(rng):
    """The people of one household: line, relationship, sex, age, first name, surname."""
    surname = rng.choice(SURNAMES)
    head_sex = 1 if sometimes(rng, 0.7) else 2
    head_age = rng.randint(20, 85)
    people = [dict(rel=1, sex=head_sex, age=head_age)]
    if head_age < 80 and sometimes(rng, 0.7):
        people.append(dict(rel=2, sex=3 - head_sex, age=max(16, head_age + rng.randint(-8, 5))))
    if head_age < 65:
        for _ in range(rng.choice([0, 1, 1, 2, 2, 3, 4, 5])):
            people.append(dict(rel=3, sex=rng.randint(1, 2), age=rng.randint(0, min(30, head_age - 16))))
    if sometimes(rng, 0.15):
        people.append(dict(rel=4, sex=rng.randint(1, 2), age=min(100, head_age + rng.randint(18, 30))))
    if sometimes(rng, 0.1):
        people.append(dict(rel=rng.choice([5, 6]), sex=rng.randint(1, 2), age=rng.randint(1, 70)))
    for number, person in enumerate(people, start=1):
        person["line"] = number
        person["first"] = rng.choice(MALE if person["sex"] == 1 else FEMALE)
        person["surname"] = surname if person["rel"] in (1, 2, 3) else rng.choice(SURNAMES)
    return people


# ------------------------------------------------------------------ ORVA 4.1 (household.ddw)
# Record type in column 1. On every line: PROVINCE 2-3, DISTRICT 4-5, EA 6-8, HHNUM 9-11.
# HOUSING '1', 34 columns: H-DWELL 12, H-ROOMS 13-14, H-WATER 15, H-RENT 16-23 (2 implied
#   decimals, blank = not applicable), H-TIME 24-28 (alpha), H-ASSET 29-34 (6 occurrences of 1).
# PERSON '2', 49 columns: P-LINE 12-13, P-REL 14, P-SEX 15, P-DOB 16-23 (DD 16-17, MM 18-19,
#   YYYY 20-23), P-AGE 24-26, P-MARITAL 27 (blank under 12), P-NAME 28-47 (alpha),
#   P-EDUC 48, P-OCC 49 (alpha).
# INCOME '3', 25 columns: I-LINE 12-13, I-SOURCE 14, I-AMOUNT 15-24 (2 implied decimals),
#   I-FREQ 25.
# "Not stated" / "don't know" codes: 9 (H-DWELL, H-WATER, P-REL, P-EDUC), 99 (H-ROOMS, P-DOB
# day and month), 9999 (P-DOB year), 999 (P-AGE), 9999999.99 (I-AMOUNT).

def orva_line(length, code, ids):
    """A record of the household ids, with its record type and ids filled in."""
    line = Line(length)
    line.put(1, 1, code)
    province, district, ea, hhnum = ids
    line.number(2, 2, province, zeros=True)
    line.number(4, 2, district, zeros=True)
    line.number(6, 3, ea, zeros=True)
    line.number(9, 3, hhnum, zeros=True)
    return line


def orva_housing(out, ids, case):
    rng = out.rng
    line = orva_line(34, "1", ids)
    line.number(12, 1, 9 if sometimes(rng, 0.03) else rng.choice([1, 1, 1, 2, 2, 3, 3, 4, 5, 6]))
    line.number(13, 2, 99 if sometimes(rng, 0.03) else rng.randint(1, 8))
    line.number(15, 1, 9 if sometimes(rng, 0.03) else rng.randint(1, 6))
    if sometimes(rng, 0.35):  # rented: an amount with cents; 0.00 when lived in for free
        line.number(16, 8, 0 if sometimes(rng, 0.05) else rng.randint(2000, 250000) / 100, decimals=2)
    if not sometimes(rng, 0.04):
        line.put(24, 5, f"{rng.randint(6, 21):02d}:{rng.randint(0, 59):02d}")
    assets = [rng.choice([1, 2]) for _ in range(6)]
    if sometimes(rng, 0.12):  # the interview stopped before the last goods were asked
        for k in range(rng.randint(1, 5), 6):
            assets[k] = None
    for k, value in enumerate(assets):
        line.number(29 + k, 1, value)
    out.add("HOUSING", line, case)


def orva_person(out, ids, person, case):
    rng = out.rng
    line = orva_line(49, "2", ids)
    age = person["age"]
    line.number(12, 2, person["line"])
    line.number(14, 1, 9 if sometimes(rng, 0.01) else person["rel"])
    line.number(15, 1, person["sex"])
    day, month, year = rng.randint(1, 28), rng.randint(1, 12), INTERVIEW_YEAR - age - rng.randint(0, 1)
    if sometimes(rng, 0.05):
        day = 99
    if sometimes(rng, 0.04):
        month = 99
    if sometimes(rng, 0.03):
        year = 9999
    shown_age = 999 if sometimes(rng, 0.02) else age
    if shown_age == 999:
        day, month, year = 99, 99, 9999
    line.put(16, 8, f"{day:02d}{month:02d}{year:04d}")
    line.number(24, 3, shown_age)
    if age >= 12:
        marital = 1 if age < 20 else rng.choice([1, 2, 2, 2, 3, 4] if age < 60 else [2, 2, 4, 4, 3])
        line.number(27, 1, 2 if person["rel"] in (1, 2) and sometimes(rng, 0.8) else marital)
    line.put(28, 20, f'{person["first"]} {person["surname"]}')
    if age >= 5:
        line.number(48, 1, 9 if sometimes(rng, 0.03) else rng.choice([0, 1, 2, 3, 4, 5, 6, 8]))
    if age >= 15 and sometimes(rng, 0.55):
        line.put(49, 1, "X" if sometimes(rng, 0.03) else rng.choice("ABCDE"))
    out.add("PERSON", line, case)


def orva_income(out, ids, person, source, case):
    rng = out.rng
    line = orva_line(25, "3", ids)
    line.number(12, 2, person["line"])
    line.number(14, 1, source)
    line.number(15, 10, 9999999.99 if sometimes(rng, 0.04) else rng.randint(30000, 6000000) / 100, decimals=2)
    if not sometimes(rng, 0.08):  # wages weekly or monthly, pensions monthly, the rest any
        if source == 1:
            frequency = rng.choice([1, 2])
        elif source == 3:
            frequency = 2
        else:
            frequency = rng.randint(1, 3)
        line.number(25, 1, frequency)
    out.add("INCOME", line, case)


def income_sources(rng, people):
    sources = []
    for person in people:
        if person["age"] < 15:
            continue
        if person["age"] < 65 and sometimes(rng, 0.6):
            sources.append((person, rng.choice([1, 1, 1, 2])))
        if person["age"] >= 60 and sometimes(rng, 0.8):
            sources.append((person, 3))
        if sometimes(rng, 0.08):
            sources.append((person, rng.choice([4, 5, 6])))
    return sources


def make_orva():
    out = Output(random.Random(4101), cut_share=0.08)
    rng = out.rng
    # The rare cases, as (start, text, what it is), on fixed households (the first income
    # line, the person of the line number given) so that every run puts them on the same lines.
    housing_cases = {4: (13, "  ", "H-ROOMS blank"),
                     11: (13, "**", 'H-ROOMS "**" (no number)'),
                     17: (29, "      ", "H-ASSET all 6 occurrences blank"),
                     23: (29, "1 21 2", "H-ASSET 1 blank 2 1 blank 2"),
                     31: (16, " 9999999", "H-RENT 99999.99, the top of its range")}
    person_cases = {(2, 2): (24, "   ", "P-AGE blank"),
                    (9, 1): (24, " 4O", 'P-AGE " 4O" (letter O: no number)'),
                    (14, 1): (28, 'Ana "Nena" Peña'.ljust(20), 'P-NAME Ana "Nena" Peña (double quotes in a text)')}
    income_cases = {5: (15, " " * 10, "I-AMOUNT blank"),
                    12: (15, "  12O00.00", 'I-AMOUNT "  12O00.00" (letter O and a point: no number)'),
                    20: (15, "0000150075", "I-AMOUNT 0000150075 (zero-filled: 1500.75)")}
    household = 0
    for area in range(20):
        province, district, ea = rng.randint(1, 5), rng.randint(1, 40), rng.randint(1, 300)
        hhnum = 0
        for _ in range(10):
            household += 1
            hhnum += 1 if sometimes(rng, 0.9) else 2  # numbers of households that refused are skipped
            ids = (province, district, ea, hhnum)
            people = members(rng)
            orva_housing(out, ids, housing_cases.get(household))
            for person in people:
                orva_person(out, ids, person, person_cases.get((household, person["line"])))
            sources = income_sources(rng, people)
            if household in income_cases and not sources:
                sources = [(people[0], 1)]
            for k, (person, source) in enumerate(sources):
                orva_income(out, ids, person, source, income_cases.get(household) if k == 0 else None)
    return out


# ------------------------------------------------------------------ VESK (household-vesk.dic)
# Record type in column 5. HHID 1-4 on every line (level 1); PERSNO 6-7 (level 2).
# HOUSING '1', 10 columns: REGION 6 (9 missing), ROOMS 7-8 (99), WATER 9 (9), ELECTR 10 (alpha).
# PLOT '2' (0 to 10 a household), 24 columns: PLOTNO 6-7, TENURE 8 (9), PLOTSIZE 9-12 (9999),
#   a group of 3 occurrences of 4 columns from 13: CROP +0 (9), CROPSHR +1..+3 (999).
# PERSON '3', 34 columns: PERSNO 6-7, NAME 8-27 (alpha), SEX 28 (9), AGE 29-31 (999),
#   RELAT 32 (9), HOURS 33-34 (99 missing, 98 not applicable).

def vesk_line(length, code, hhid):
    """A record of household hhid, with its record type and household number filled in."""
    line = Line(length)
    line.number(1, 4, hhid, zeros=True)
    line.put(5, 1, code)
    return line


def vesk_housing(out, hhid, case):
    rng = out.rng
    line = vesk_line(10, "1", hhid)
    line.number(6, 1, 9 if sometimes(rng, 0.03) else rng.randint(1, 4))
    line.number(7, 2, 99 if sometimes(rng, 0.03) else rng.randint(1, 12))
    line.number(9, 1, 9 if sometimes(rng, 0.03) else rng.choice([1, 1, 2, 2, 3, 8]))
    if not sometimes(rng, 0.05):
        line.put(10, 1, "Y" if sometimes(rng, 0.6) else "N")
    out.add("HOUSING", line, case)


def vesk_plot(out, hhid, number, case):
    rng = out.rng
    line = vesk_line(24, "2", hhid)
    line.number(6, 2, number)
    line.number(8, 1, 9 if sometimes(rng, 0.03) else rng.choice([1, 1, 1, 2, 3]))
    line.number(9, 4, 9999 if sometimes(rng, 0.03) else rng.randint(1, 9000))
    crops = rng.sample([1, 2, 3, 4], rng.choice([1, 1, 2, 2, 3]))
    shares = [100]
    if len(crops) > 1:
        cuts = sorted(rng.sample(range(5, 100, 5), len(crops) - 1))
        shares = [b - a for a, b in zip([0] + cuts, cuts + [100])]
    for k, (crop, share) in enumerate(zip(crops, shares)):
        line.number(13 + 4 * k, 1, 9 if sometimes(rng, 0.02) else crop)
        line.number(14 + 4 * k, 3, 999 if sometimes(rng, 0.03) else share)
    out.add("PLOT", line, case)


def vesk_person(out, hhid, person, case):
    rng = out.rng
    line = vesk_line(34, "3", hhid)
    age = person["age"]
    line.number(6, 2, person["line"])
    line.put(8, 20, person["first"])
    line.number(28, 1, 9 if sometimes(rng, 0.01) else person["sex"])
    line.number(29, 3, 999 if sometimes(rng, 0.02) else age)
    line.number(32, 1, 9 if sometimes(rng, 0.01) else min(person["rel"], 5))
    if age < 15:
        hours = 98
    elif sometimes(rng, 0.03):
        hours = 99
    elif sometimes(rng, 0.06):
        hours = None  # not asked
    else:
        hours = rng.randint(1, 70) if sometimes(rng, 0.65) else 0
    line.number(33, 2, hours)
    out.add("PERSON", line, case)


def make_vesk():
    out = Output(random.Random(850), cut_share=0.25)
    rng = out.rng
    # The rare cases, as in make_orva: on the first plot of a household, on the person of the
    # line number given.
    housing_cases = {6: (7, "  ", "ROOMS blank"),
                     13: (7, "x ", 'ROOMS "x " (no number)')}
    plot_cases = {3: (9, "    ", "PLOTSIZE blank"),
                  8: (13, " " * 12, "CROP and CROPSHR: all 3 occurrences blank"),
                  15: (14, "1/2", 'CROPSHR_1 "1/2" (no number)'),
                  22: (17, "  50", "CROP_2 blank with CROPSHR_2 50")}
    person_cases = {(4, 2): (29, "   ", "AGE blank"),
                    (10, 1): (8, "Mary, Ann".ljust(20), "NAME Mary, Ann (a comma in a text)"),
                    (18, 1): (33, "4-", 'HOURS "4-" (no number)')}
    for hhid in range(1, 201):
        people = members(rng)
        vesk_housing(out, hhid, housing_cases.get(hhid))
        plots = rng.choice([0, 0, 1, 1, 1, 2, 2, 3, 4])
        if hhid in plot_cases:
            plots = max(plots, 1)
        for number in range(1, plots + 1):
            vesk_plot(out, hhid, number, plot_cases.get(hhid) if number == 1 else None)
        for person in people:
            vesk_person(out, hhid, person, person_cases.get((hhid, person["line"])))
    return out


def main():
    examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    for name, out in (("household.dat", make_orva()), ("household-vesk.dat", make_vesk())):
        out.write(os.path.join(examples, name))
        counts = ", ".join(f"{count} {kind}" for kind, count in out.counts.items())
        print(f"wrote examples/{name}: {len(out.lines)} lines ({counts})")
        if "--notes" in sys.argv[1:]:
            for note in out.notes:
                print("  " + note)
            for kind, numbers in out.short.items():
                print(f"  {kind} lines cut short: {' '.join(map(str, numbers))}")


if __name__ == "__main__":
    main()
