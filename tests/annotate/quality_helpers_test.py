"""The helpers of bench/quality.sh on hand-made files: the GO.sqlite conversion, the human and
Swiss-Prot annotations, the proxy reference, the planted-complex references and the overlap count."""
import io
import os
import random
import sqlite3
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "bench", "quality"))
import annotations  # noqa: E402
import figures  # noqa: E402

# A tiny GO.db: cellular_component with "protein-containing complex" above "foo complex", whose
# part "foo core" has a part "foo core region" (not named a complex); "bar complex" apart; a
# process with a 'regulates' link that must not propagate; an alt_id, an obsolete term, the
# universal root.
GO_TERMS = [
    (1, "GO:0005575", "cellular_component", "CC"), (2, "GO:0032991", "protein-containing complex", "CC"),
    (3, "GO:0000001", "foo complex", "CC"), (4, "GO:0000002", "foo core complex", "CC"),
    (5, "GO:0000003", "foo core region", "CC"), (6, "GO:0000004", "bar complex", "CC"),
    (7, "GO:0008150", "biological_process", "BP"), (8, "GO:0000010", "foo assembly", "BP"),
    (9, "GO:0000011", "regulation of foo assembly", "BP"), (10, "GO:0000012", "all", "universal"),
]
CC_PARENTS = [(2, 1, "isa"), (3, 2, "isa"), (4, 3, "part of"), (5, 4, "part of"), (6, 2, "isa"), (1, 10, "isa")]
BP_PARENTS = [(8, 7, "isa"), (9, 7, "isa"), (9, 8, "regulates")]


def go_sqlite(path):
    c = sqlite3.connect(path)
    c.executescript("""
        CREATE TABLE metadata (name TEXT, value TEXT);
        CREATE TABLE go_term (_id INTEGER, go_id TEXT, term TEXT, ontology TEXT, definition TEXT);
        CREATE TABLE go_obsolete (go_id TEXT, term TEXT, ontology TEXT, definition TEXT);
        CREATE TABLE go_synonym (_id INTEGER, synonym TEXT, secondary TEXT, like_go_id INTEGER);
        CREATE TABLE go_bp_parents (_id INTEGER, _parent_id INTEGER, relationship_type TEXT);
        CREATE TABLE go_mf_parents (_id INTEGER, _parent_id INTEGER, relationship_type TEXT);
        CREATE TABLE go_cc_parents (_id INTEGER, _parent_id INTEGER, relationship_type TEXT);
    """)
    c.execute("INSERT INTO metadata VALUES ('GOSOURCEDATE', '2022-07-01')")
    c.executemany("INSERT INTO go_term VALUES (?, ?, ?, ?, '')", GO_TERMS)
    c.executemany("INSERT INTO go_cc_parents VALUES (?, ?, ?)", CC_PARENTS)
    c.executemany("INSERT INTO go_bp_parents VALUES (?, ?, ?)", BP_PARENTS)
    c.execute("INSERT INTO go_synonym VALUES (3, 'GO:0009999', 'GO:0009999', 1)")
    c.execute("INSERT INTO go_synonym VALUES (3, 'foo thing', NULL, 0)")
    c.execute("INSERT INTO go_obsolete VALUES ('GO:0000005', 'obsolete baz complex', 'CC', '')")
    c.commit()
    c.close()


# Gene 1 (two accessions) and gene 2; experimental and other evidence.
HUMAN_GO = [
    ("go_cc", 1, "GO:0000002", "IDA"), ("go_cc", 2, "GO:0000003", "IPI"), ("go_cc", 3, "GO:0000001", "IEA"),
    ("go_cc", 4, "GO:0000004", "EXP"), ("go_cc", 5, "GO:0000004", "HDA"), ("go_bp", 1, "GO:0000010", "TAS"),
]


def human_sqlite(path):
    c = sqlite3.connect(path)
    c.executescript("""
        CREATE TABLE genes (_id INTEGER, gene_id TEXT);
        CREATE TABLE gene_info (_id INTEGER, gene_name TEXT, symbol TEXT);
        CREATE TABLE uniprot (_id INTEGER, uniprot_id TEXT);
        CREATE TABLE go_bp (_id INTEGER, go_id TEXT, evidence TEXT);
        CREATE TABLE go_mf (_id INTEGER, go_id TEXT, evidence TEXT);
        CREATE TABLE go_cc (_id INTEGER, go_id TEXT, evidence TEXT);
    """)
    for gene in range(1, 6):
        c.execute("INSERT INTO genes VALUES (?, ?)", (gene, str(100 + gene)))
        c.execute("INSERT INTO gene_info VALUES (?, ?, ?)", (gene, f"gene {gene}", f"G{gene}"))
        c.execute("INSERT INTO uniprot VALUES (?, ?)", (gene, f"P0000{gene}"))
    c.execute("INSERT INTO uniprot VALUES (1, 'Q00001')")
    for table, gene, term, evidence in HUMAN_GO:
        c.execute(f"INSERT INTO {table} VALUES (?, ?, ?)", (gene, term, evidence))
    c.commit()
    c.close()


def stanzas(obo):
    """id -> the tag lines of its [Term] stanza."""
    out = {}
    for block in obo.split("[Term]\n")[1:]:
        lines = [line for line in block.strip().split("\n") if line]
        out[lines[0][4:]] = lines[1:]
    return out


class AnnotationsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.go = os.path.join(self.dir.name, "GO.sqlite")
        self.human = os.path.join(self.dir.name, "org.Hs.eg.sqlite")
        go_sqlite(self.go)
        human_sqlite(self.human)

    def tearDown(self):
        self.dir.cleanup()

    def test_ontology_keeps_isa_and_part_of_and_marks_alt_and_obsolete_ids(self):
        out = io.StringIO()
        annotations.write_obo(annotations.Ontology(self.go), out)
        terms = stanzas(out.getvalue())
        self.assertNotIn("GO:0000012", terms, "the universal root is no GO term")
        self.assertEqual(terms["GO:0000001"], ["name: foo complex", "namespace: cellular_component",
                                               "alt_id: GO:0009999", "is_a: GO:0032991"])
        self.assertEqual(terms["GO:0000003"][-1], "relationship: part_of GO:0000002")
        self.assertEqual(terms["GO:0000011"], ["name: regulation of foo assembly",
                                               "namespace: biological_process", "is_a: GO:0008150"])
        self.assertEqual(terms["GO:0005575"], ["name: cellular_component", "namespace: cellular_component"])
        self.assertEqual(terms["GO:0000005"][-1], "is_obsolete: true")
        self.assertTrue(out.getvalue().startswith("format-version: 1.2\ndata-version: 2022-07-01\n"))

    def test_human_rows_per_accession_with_evidence(self):
        out = io.StringIO()
        annotations.write_human_gaf(self.human, out, keep={"P00001", "Q00001", "P00002"})
        rows = [line.split("\t") for line in out.getvalue().splitlines() if not line.startswith("!")]
        self.assertTrue(all(len(r) == 17 for r in rows))
        got = sorted((r[1], r[2], r[4], r[6], r[8]) for r in rows)
        self.assertEqual(got, [("P00001", "G1", "GO:0000002", "IDA", "C"), ("P00001", "G1", "GO:0000010", "TAS", "P"),
                               ("P00002", "G2", "GO:0000003", "IPI", "C"), ("Q00001", "G1", "GO:0000002", "IDA", "C"),
                               ("Q00001", "G1", "GO:0000010", "TAS", "P")])

    def test_proxy_groups_experimental_annotations_under_each_complex_term(self):
        ontology = annotations.Ontology(self.go)
        rows = [(a, go, ev) for a, _, go, ev, _, _ in annotations.human_annotations(self.human)]
        references = annotations.proxy_reference(ontology, rows, max_size=4)
        # foo complex: its core (part of) and the core's region (part of, not a complex itself);
        # gene 3's IEA does not count; protein-containing complex holds all five, over max_size.
        self.assertEqual(references, [
            ("GO:0000001", "foo complex", ["P00001", "P00002", "Q00001"]),
            ("GO:0000002", "foo core complex", ["P00001", "P00002", "Q00001"]),
            ("GO:0000004", "bar complex", ["P00004", "P00005"]),
        ])
        self.assertEqual(len(annotations.proxy_reference(ontology, rows, max_size=10)), 4)
        out = io.StringIO()
        annotations.write_proxy(references, out)
        self.assertIn("PROXY", out.getvalue())
        self.assertIn("GO:0000004 bar complex\tP00004 P00005\n", out.getvalue())

    def test_swissprot_rows_each_once_and_bad_lines_named(self):
        base = os.path.join(self.dir.name, "sp")
        for subset, text in (("BPO", "A1\tGO:0000010\tGO:0000010\nB1\tGO:0000011\n"), ("CCO", "A1\tGO:0000001\n"),
                             ("MFO", "")):
            os.makedirs(os.path.join(base, subset))
            with open(os.path.join(base, subset, "goasp_annot.dat"), "w") as f:
                f.write(text)
        out = io.StringIO()
        annotations.write_swissprot_gaf(base, out, keep={"A1"})
        rows = [line.split("\t") for line in out.getvalue().splitlines() if not line.startswith("!")]
        self.assertEqual([(r[1], r[4], r[8]) for r in rows], [("A1", "GO:0000010", "P"), ("A1", "GO:0000001", "C")])
        with open(os.path.join(base, "MFO", "goasp_annot.dat"), "w") as f:
            f.write("A1 GO:1\nA2 nonsense\n")
        with self.assertRaisesRegex(annotations.InputError, "MFO/goasp_annot.dat:2: expected an accession"):
            annotations.write_swissprot_gaf(base, io.StringIO())

    def test_missing_package_file_says_how_to_install(self):
        self.assertEqual(annotations.main(["ontology", "--out", os.path.join(self.dir.name, "x.obo"),
                                           "--go-sqlite", os.path.join(self.dir.name, "none.sqlite")]), 1)
        self.assertFalse(os.path.exists(os.path.join(self.dir.name, "x.obo.tmp")))


class FiguresTest(unittest.TestCase):
    def test_planted_complexes_become_references_per_species(self):
        with tempfile.TemporaryDirectory() as d:
            truth = os.path.join(d, "t_truth.txt")
            with open(truth, "w") as f:
                f.write("# planted\n1\t0\ta1 a2 - a3\n1\t1\tb1 b2 b3 -\n2\t0\ta4 a5 a6\n2\t1\t- - b9\n")
            self.assertEqual(figures.truth_references(truth, os.path.join(d, "ref")), 2)
            with open(os.path.join(d, "ref_0.txt")) as f:
                self.assertEqual(f.read(), "planted_1\ta1 a2 a3\nplanted_2\ta4 a5 a6\n")
            with open(os.path.join(d, "ref_1.txt")) as f:
                self.assertEqual(f.read(), "planted_1\tb1 b2 b3\nplanted_2\tb9\n")

    def test_overlap_count_matches_every_pair(self):
        rng = random.Random(3)
        for _ in range(20):
            sets = [set(rng.sample(range(30), rng.randint(1, 8))) for _ in range(rng.randint(2, 25))]
            pairs = [figures.overlap_ratio(a, b) for i, a in enumerate(sets) for b in sets[i + 1:]]
            above, largest = figures.overlaps(sets, 0.5)
            self.assertEqual(above, sum(r > 0.5 for r in pairs))
            self.assertAlmostEqual(largest, max(pairs))


if __name__ == "__main__":
    unittest.main()
