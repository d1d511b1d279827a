#!/usr/bin/python3
"""results export, read back as a data tool reads it (Python's csv module):
every layout in both formats gives back every stored value exactly.

Usage: export_roundtrip.py ORVEVIZARI EXAMPLES_DIR
"""
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ORVE, EXAMPLES = sys.argv[1], sys.argv[2]
RISKY = "=+-@\t\r'"
# The standard plates, as the reader's manual gives them: wells, rows,
# columns, A1 centre x and y, pitch (mm).
PLATES = [(96, 8, 12, 14.38, 11.24, 9.0), (384, 16, 24, 12.13, 8.99, 4.5),
          (1536, 32, 48, 11.005, 7.865, 2.25)]


def run(*args, check=True):
    p = subprocess.run([ORVE, *args], capture_output=True, text=True, timeout=120)
    if check and p.returncode != 0:
        raise AssertionError(f"{args}: exit {p.returncode}\n{p.stdout}{p.stderr}")
    return p


def row_name(r):
    name = ""
    r += 1
    while r > 0:
        name = chr(ord("A") + (r - 1) % 26) + name
        r = (r - 1) // 26
    return name


def well_of(plate, x, y):
    _, rows, cols, ax, ay, pitch = plate
    c, r = round((x - ax) / pitch), round((y - ay) / pitch)
    if not (0 <= c < cols and 0 <= r < rows):
        return None
    if ((x - ax - c * pitch) ** 2 + (y - ay - r * pitch) ** 2) ** 0.5 > pitch / 4 + 1e-9:
        return None
    return (r, c)


class Stored:
    """The data file as stored, read with the json module alone."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
        method = doc["runInfo"]["method"]
        method = json.loads(method) if isinstance(method, str) else method
        self.positions = [tuple(cell["value"] for cell in row[:4])
                          for row in method["tables"][0]["rows"]]
        self.plate, self.wells = None, [None] * len(self.positions)
        for plate in PLATES:
            wells = [well_of(plate, x, y) for x, y, _, _ in self.positions]
            if all(w is not None for w in wells):
                self.plate, self.wells = plate, wells
                break
        self.reads = [1] * len(self.positions)
        seen = {}
        for i, w in enumerate(self.wells):
            if w is not None:
                seen[w] = seen.get(w, 0) + 1
                self.reads[i] = seen[w]
        items = doc["items"]
        self.ids = [i["id"] for i in items["type1"]] + [i["id"] for i in items["other"]]
        n1 = len(items["type1"])
        self.values = [[None] * len(self.positions) for _ in self.ids]
        for r in doc["results"]:
            if r["item"] <= 0:
                continue
            row = r["item"] if r["type"] == 1 else n1 + r["item"]
            self.values[row - 1][r["position"] - 1] = r["values"]

    def well_name(self, i, with_read=False):
        if self.wells[i] is None:
            return ""
        r, c = self.wells[i]
        name = f"{row_name(r)}{c + 1}"
        return f"{name}_{self.reads[i]}" if with_read and self.reads[i] > 1 else name


def read_table(path, fmt):
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    if fmt == "csv":
        return list(csv.reader(io.StringIO(text, newline="")))
    # Tab-separated text has no quoting at all.
    assert text.endswith("\n") and "\r" not in text
    return [line.split("\t") if line else [] for line in text[:-1].split("\n")]


class ExportTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="orve-export-")
        d = cls.dir
        plate96 = os.path.join(EXAMPLES, "plate-96.json")
        conc = os.path.join(EXAMPLES, "plate-96-concentrations.txt")
        # IDs a spreadsheet or a parser trips over; the last sample stops
        # part-way, so it has positions without a reading.
        cls.csv_ids = ["C:\\run", 'a,"b"', "line\nbreak", "=SUM(A1)", "'quoted", "-5",
                       "Ünïcode µ", "@cmd"]
        args = [a for i in cls.csv_ids for a in ("--sample-id", i)]
        run("measure", plate96, *args, "--plate", conc, "--quiet", "--data",
            f"{d}/tricky.json", "--sim-fault", "Get Int#700=Overload:detector overload",
            check=False)
        cls.tsv_ids = ["C:\\run", 'a,"b"', "=SUM(A1)", "+1", "plain"]
        args = [a for i in cls.tsv_ids for a in ("--sample-id", i)]
        run("measure", plate96, *args, "--plate", conc, "--quiet", "--data", f"{d}/plain.json")
        run("measure", os.path.join(EXAMPLES, "method-3pos.json"), "--samples", "2", "--quiet",
            "--data", f"{d}/stage.json")
        run("method", "new", "--positions",
            "14.38,11.24,485,520;14.38,11.24,340,615;23.38,11.24,485,520;113.38,74.24,485,520",
            "-o", f"{d}/again.method.json")
        run("measure", f"{d}/again.method.json", "--samples", "2", "--quiet", "--data",
            f"{d}/again.json")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def export(self, data, layout, fmt):
        out = os.path.join(self.dir, f"{os.path.basename(data)}.{layout}.{fmt}")
        run("results", "export", os.path.join(self.dir, data), "--layout", layout, "--format",
            fmt, "-o", out, "--overwrite")
        return Stored(os.path.join(self.dir, data)), read_table(out, fmt)

    def check_id(self, field, sid):
        self.assertEqual(field, "'" + sid if sid[:1] and sid[0] in RISKY else sid)

    def check_value(self, field, values):
        if values is None:
            self.assertEqual(field, "")
        else:
            self.assertEqual(float(field), values[0])

    def check_long(self, data, fmt):
        s, rows = self.export(data, "long", fmt)
        timed = any(v is not None and len(v) > 3 for vs in s.values for v in vs)
        self.assertEqual(rows[0], ["sample_id", "sample", "position", "well", "x_mm", "y_mm",
                                   "ex_nm", "em_nm", "intensity", "overflow"]
                         + (["time_s"] if timed else []))
        expected = [(k, i) for k in range(len(s.ids)) for i in range(len(s.positions))
                    if s.values[k][i] is not None]
        self.assertEqual(len(rows) - 1, len(expected))
        for row, (k, i) in zip(rows[1:], expected):
            self.check_id(row[0], s.ids[k])
            self.assertEqual(row[1:4], [str(k + 1), str(i + 1), s.well_name(i)])
            self.assertEqual([float(v) for v in row[4:8]], list(s.positions[i]))
            self.assertEqual(float(row[8]), s.values[k][i][0])
            self.assertEqual(row[9], "1" if s.values[k][i][2] == -1 else "0")
            if timed:  # the reading's time since the run's start, as stored
                self.assertEqual(float(row[10]), s.values[k][i][3])
        return s

    def check_wide(self, data, fmt):
        s, rows = self.export(data, "wide", fmt)
        names = ([s.well_name(i, True) for i in range(len(s.positions))] if s.plate
                 else [str(i + 1) for i in range(len(s.positions))])
        self.assertEqual(rows[0], ["sample_id"] + names)
        self.assertEqual(len(rows) - 1, len(s.ids))
        for k, row in enumerate(rows[1:]):
            self.check_id(row[0], s.ids[k])
            self.assertEqual(len(row), 1 + len(s.positions))
            for i, field in enumerate(row[1:]):
                self.check_value(field, s.values[k][i])

    def check_plate(self, data, fmt):
        s, rows = self.export(data, "plate", fmt)
        _, n_rows, n_cols, *_ = s.plate
        reads = max(s.reads)
        line = 0
        for k, sid in enumerate(s.ids):
            for read in range(1, reads + 1):
                head = rows[line]
                self.assertEqual(head[0], "Sample")
                self.check_id(head[1], sid)
                self.assertEqual(head[2:], ["Read", str(read)] if reads > 1 else [])
                self.assertEqual(rows[line + 1], [""] + [str(c + 1) for c in range(n_cols)])
                at = {s.wells[i]: i for i in range(len(s.positions)) if s.reads[i] == read}
                for r in range(n_rows):
                    row = rows[line + 2 + r]
                    self.assertEqual(row[0], row_name(r))
                    self.assertEqual(len(row), 1 + n_cols)
                    for c, field in enumerate(row[1:]):
                        i = at.get((r, c))
                        self.check_value(field, None if i is None else s.values[k][i])
                self.assertEqual(rows[line + 2 + n_rows], [])
                line += n_rows + 3
        self.assertEqual(line, len(rows))

    def test_every_layout_reads_back_exactly_as_csv(self):
        s = self.check_long("tricky.json", "csv")
        self.assertEqual(s.ids, self.csv_ids)
        # The run stopped inside the last sample; some readings are over range.
        self.assertTrue(any(v is None for v in s.values[-1]))
        self.assertTrue(any(v is not None and v[2] == -1 for row in s.values for v in row))
        self.check_wide("tricky.json", "csv")
        self.check_plate("tricky.json", "csv")

    def test_every_layout_reads_back_exactly_as_tsv(self):
        self.assertEqual(self.check_long("plain.json", "tsv").ids, self.tsv_ids)
        self.check_wide("plain.json", "tsv")
        self.check_plate("plain.json", "tsv")

    def test_a_well_read_twice_gets_a_block_and_a_column_of_its_own(self):
        for fmt in ("csv", "tsv"):
            self.assertEqual(max(self.check_long("again.json", fmt).reads), 2)
            self.check_wide("again.json", fmt)
            self.check_plate("again.json", fmt)

    def test_positions_off_the_plate_keep_their_numbers(self):
        for fmt in ("csv", "tsv"):
            self.assertIsNone(self.check_long("stage.json", fmt).plate)
            self.check_wide("stage.json", fmt)
        out = os.path.join(self.dir, "stage.plate.csv")
        p = run("results", "export", os.path.join(self.dir, "stage.json"), "--layout", "plate",
                "-o", out, check=False)
        self.assertEqual(p.returncode, 2, p.stderr)
        self.assertIn("position 1 (x 12.5 mm, y 4 mm) lies between wells", p.stderr)
        self.assertFalse(os.path.exists(out))

    def test_tsv_refuses_an_id_with_a_line_break_and_writes_nothing(self):
        out = os.path.join(self.dir, "tricky.long.tsv")
        p = run("results", "export", os.path.join(self.dir, "tricky.json"), "--layout", "long",
                "-o", out, check=False)  # the .tsv name chooses the format
        self.assertEqual(p.returncode, 2, p.stderr)
        self.assertIn("the ID of sample 3", p.stderr)
        self.assertEqual([f for f in os.listdir(self.dir) if f.startswith("tricky.long")], [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
