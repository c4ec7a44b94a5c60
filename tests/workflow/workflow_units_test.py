"""The workflow's configuration check (with trellis2's check of the options, by a stand-in) and
FASTA handling, without Snakemake.
Run: python3 -m unittest discover -s tests/workflow -p '*_test.py'"""

import contextlib
import gzip
import io
import os
import stat
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "workflow", "lib"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "workflow", "scripts"))

import proteome  # noqa: E402
from run_config import ConfigError, RunConfig, check_trellis2_options, lock_covers  # noqa: E402


class TempDirTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.old_cwd = os.getcwd()
        os.chdir(self.dir.name)
        self.addCleanup(os.chdir, self.old_cwd)
        quiet = contextlib.redirect_stderr(io.StringIO())  # the per-file counts of merge
        quiet.__enter__()
        self.addCleanup(quiet.__exit__, None, None, None)

    @staticmethod
    def write(name, text, compress=False):
        with (gzip.open if compress else open)(name, "wb") as out:
            out.write(text if isinstance(text, bytes) else text.encode())
        return name


class RunConfigTest(TempDirTest):
    def setUp(self):
        super().setUp()
        for name in ("a.txt", "b.txt", "sim.txt", "a.fa", "go.obo", "a.gaf"):
            self.write(name, "x\n")

    def config(self, **changes):
        config = {"out": "res/run/", "shards": 2, "options": "--pval-filter 1",
                  "species": [{"interactions": "a.txt", "fasta": "a.fa"},
                              {"source": "b.txt", "format": "biogrid", "fasta": "a.fa",
                               "prep": "--taxid 4896 --id 'uniprot'"}]}
        config.update(changes)
        return {key: value for key, value in config.items() if value is not None}

    def test_mistakes_are_named(self):
        no_fasta = [{"interactions": "a.txt"}, {"interactions": "b.txt"}]
        cases = [
            ({}, "no configuration"),
            (self.config(out=None), "out: missing"),
            (self.config(shards=0), "shards: expected a whole number >= 1, got 0"),
            (self.config(shards="4"), "shards: expected a whole number >= 1, got '4'"),
            (self.config(shards=True), "shards: expected a whole number"),
            (self.config(species=[{"interactions": "a.txt"}]), "2 to 10 species"),
            (self.config(species=[{"fasta": "a.fa"}, {"interactions": "b.txt"}]),
             "species[0]: give exactly one of interactions:"),
            (self.config(species=[{"interactions": "a.txt", "source": "b.txt"}, {"interactions": "b.txt"}]),
             "species[0]: give exactly one of"),
            (self.config(species=no_fasta), "species[0]: fasta: is needed when similarity: is left out"),
            (self.config(species=[{"interactions": "a.txt"}, {"source": "b.txt", "format": "csv"}],
                         similarity="sim.txt"), "species[1].format: expected one of string, biogrid"),
            (self.config(species=[{"interaction": "a.txt"}, {"interactions": "b.txt"}], similarity="sim.txt"),
             "species[0]: unknown key(s) interaction"),
            (self.config(species=no_fasta, similarity="missing.txt"), "similarity: missing.txt: no such file"),
            (self.config(options="--pval-filter"), "--pval-filter has no value"),
            (self.config(options="-R: 3 --threads: 8"), "options: --threads: cannot be given here"),
            (self.config(options="--stage seeds"), "options: --stage cannot be given here"),
            (self.config(options="-H: '1e-5"), "options: \"-H: '1e-5\": No closing quotation"),
            (self.config(diamond="--outfmt 5"), "diamond: --outfmt is set by the workflow"),
            (self.config(fasta_id="uniprot"), "fasta_id: expected one of word, accession"),
            (self.config(resources={"seed": {"threads": 2}}), "resources: unknown key(s) seed"),
            (self.config(resources={"grow": {"threads": 0}}), "resources.grow.threads: expected a whole number"),
            (self.config(annotate={"obo": "go.obo"}), "annotate: give gaf: or reference:"),
            (self.config(annotate={"gaf": {2: "a.gaf"}}), "annotate.gaf: 2 is not a species index 0..1"),
            (self.config(out="res/{x}"), "out: expected a directory path without braces"),
            (self.config(outdir="res"), "unknown key(s) outdir (known: annotate,"),
            (self.config(species=[{"interactions": "a.txt", "fasta": "a.fa", "fasta_id": "uniprot"},
                                  {"interactions": "b.txt", "fasta": "a.fa"}]),
             "species[0].fasta_id: expected one of word, accession, got 'uniprot'"),
            (self.config(species=[{"interactions": "a.txt", "fasta_id": "word"}, {"interactions": "b.txt"}],
                         similarity="sim.txt"), "species[0].fasta_id: only used with fasta:"),
            (self.config(species=[{"interactions": "a.txt", "fasta": "a.fa", "name": "S. cerevisiae, S288c"},
                                  {"interactions": "b.txt", "fasta": "a.fa"}]),
             "species[0].name: expected a name without commas"),
            (self.config(species=[{"interactions": "a.txt", "fasta": "a.fa", "name": "yeast"},
                                  {"interactions": "b.txt", "fasta": "a.fa"}]),
             "species[1].name: missing (give every species a name, or none)"),
            (self.config(species=[{"interactions": "a.txt", "fasta": "a.fa", "name": "yeast"},
                                  {"interactions": "b.txt", "fasta": "a.fa", "name": "yeast"}]),
             "species[1].name: 'yeast' is the name of species[0] too"),
            (self.config(options="--species-names a,b"), "options: --species-names cannot be given here"),
        ]
        for config, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(ConfigError) as raised:
                    RunConfig(config)
                self.assertIn(message, str(raised.exception))
                self.assertFalse(str(raised.exception).startswith("config:"))

    def test_derived_values(self):
        run = RunConfig(self.config(options="-H: 1e-5 --report: 0 -H: 1e-9 -B: 0.5",
                                    annotate={"obo": "go.obo", "gaf": {"1": "a.gaf"}}))
        self.assertEqual(run.out, "res/run")
        self.assertEqual(run.check_options_text(), "--threshold 1e-9 --beta 0.5")
        self.assertEqual(run.result_files(), ["res/run/manifest.tsv"])
        self.assertEqual(run.species[1].prep, ["--taxid", "4896", "--id", "uniprot"])
        self.assertEqual(run.annotation.arguments(), ["--obo", "go.obo", "--gaf", "1=a.gaf"])
        self.assertEqual(run.annotation_files(), ["res/run/go_enrichment.tsv", "res/run/function_summary.tsv"])
        self.assertEqual(run.shard_file("grow", 2), "res/run/shards/grow-2-of-2.bin")
        self.assertEqual(run.trellis2_options(), ["-H:", "1e-5", "--report:", "0", "-H:", "1e-9", "-B:", "0.5"])
        default = RunConfig(self.config())
        self.assertEqual(len(default.result_files()), 5)
        self.assertEqual(default.resource("seeds", "threads"), 4)

    def test_species_names_fasta_ids_and_labels(self):
        run = RunConfig(self.config(fasta_id="accession", similarity="sim.txt", species=[
            {"interactions": "a.txt", "fasta": "a.fa", "fasta_id": "word", "name": "S. cerevisiae"},
            {"interactions": "b.txt", "name": "fission yeast"},
            {"interactions": "b.txt", "fasta": "a.fa", "name": "human"}]))
        self.assertEqual([species.fasta_id for species in run.species], ["word", "accession", "accession"])
        self.assertEqual(run.trellis2_options(),
                         ["--pval-filter", "1", "--species-names", "S. cerevisiae,fission yeast,human"])
        self.assertEqual(run.input_files()[-1], "res/run/inputs/run_labels.txt")
        self.assertEqual(run.labels_command(),
                         "{ trellis2-prep labels --from fasta --fasta-id word a.fa; "
                         "trellis2-prep labels --from fasta --fasta-id accession a.fa; } | awk -F '\\t' '!seen[$1]++'")
        no_fasta = RunConfig(self.config(similarity="sim.txt",
                                         species=[{"interactions": "a.txt"}, {"interactions": "b.txt"}]))
        self.assertNotIn("res/run/inputs/run_labels.txt", no_fasta.input_files())
        self.assertEqual(no_fasta.trellis2_options(), ["--pval-filter", "1"])


class Trellis2ChecksTest(TempDirTest):
    """trellis2 --check-options through stand-ins for trellis2, and Snakemake's lock."""

    def stub(self, script):
        path = os.path.join(self.dir.name, "trellis2")
        self.write(path, "#!/bin/sh\n" + script)
        os.chmod(path, os.stat(path).st_mode | stat.S_IEXEC)
        return path

    def test_check_options(self):
        # The contract: status 0 and silence when valid; status 2 and one line on standard error when not.
        checker = self.stub('echo "$@" > args.txt\n'
                            'case "$*" in *"-B: 1.5"*) echo "trellis2: option -B: value 1.5 out of range (0, 1]" >&2;'
                            ' exit 2;; esac\n')
        self.assertTrue(check_trellis2_options(checker, ["-B:", "0.5", "--species-names", "a,b c"]))
        with open("args.txt") as args:
            self.assertEqual(args.read(), "--check-options -B: 0.5 --species-names a,b c\n")
        with self.assertRaises(ConfigError) as raised:
            check_trellis2_options(checker, ["-R:", "3", "-B:", "1.5"])
        self.assertEqual(str(raised.exception), "options: trellis2: option -B: value 1.5 out of range (0, 1]")
        # A trellis2 without --check-options (its banner, then status 255): nothing is checked.
        older = self.stub('echo "-- TRELLIS (TRM) --"; echo "ERROR: Illegal species number: 0"; exit 255\n')
        self.assertFalse(check_trellis2_options(older, ["-B:", "1.5"]))

    def test_lock_covers_the_output_directory(self):
        self.assertFalse(lock_covers("res/run"))
        os.makedirs(".snakemake/locks")
        self.write(".snakemake/locks/0.output.lock", "res/other/manifest.tsv\nres/run2/x\n")
        self.assertFalse(lock_covers("res/run"))
        self.write(".snakemake/locks/1.output.lock", os.path.abspath("res/run/shards/seeds-1-of-2.bin") + "\n")
        self.assertTrue(lock_covers("res/run"))
        self.assertTrue(lock_covers(os.path.abspath("res/run") + "/"))


class ProteomeTest(TempDirTest):
    def merged(self, *args):
        self.assertEqual(proteome.main(["proteome.py", "merge", "all.fa", *args]), 0)
        with open("all.fa") as merged:
            return merged.read()

    def test_names_and_formats(self):
        self.write("a.fa", ">sp|P1|A_HUMAN desc\r\nMKV\r\nLL*\r\n>plain other words\nAC\n>empty\n\n")
        self.write("b.fa.gz", ">tr|Q2|B_MOUSE\nWW\n", compress=True)
        self.assertEqual(self.merged("--ids", "accession", "a.fa", "b.fa.gz"),
                         ">P1\nMKVLL*\n>plain\nAC\n>Q2\nWW\n")
        self.assertEqual(self.merged("--ids", "word", "a.fa"), ">sp|P1|A_HUMAN\nMKVLL*\n>plain\nAC\n")
        # Each --ids applies to the files after it.
        self.assertEqual(self.merged("--ids", "word", "a.fa", "--ids", "accession", "b.fa.gz"),
                         ">sp|P1|A_HUMAN\nMKVLL*\n>plain\nAC\n>Q2\nWW\n")
        for malformed in (["a.fa"], ["--ids", "uniprot", "a.fa"], ["--ids", "word"], ["--ids"]):
            self.assertEqual(proteome.main(["proteome.py", "merge", "all.fa", *malformed]), 2, malformed)

    def test_faults_name_the_file_and_line(self):
        self.write("a.fa", ">P1\nMK\n")
        self.write("dup.fa", ">X\nMK\n>sp|P1|Y\nAA\n")
        self.write("table.fa", "P1\tMKV\n")
        self.write("digits.fa", ">P9\nMK1V\n")
        self.write("noname.fa", ">P9\nMK\n>\nMK\n")
        self.write("nothing.fa", ">P9\n")
        self.write("broken.fa.gz", b"\x1f\x8b garbage")
        cases = [
            ("dup.fa", "dup.fa:3: protein P1 was already named at a.fa:1"),
            ("table.fa", "table.fa:1: sequence before the first '>' header line"),
            ("digits.fa", "digits.fa:2: '1' is not an amino-acid letter"),
            ("noname.fa", "noname.fa:3: header without a protein name"),
            ("nothing.fa", "nothing.fa: no protein sequence found"),
            ("broken.fa.gz", "broken.fa.gz: cannot be read"),
        ]
        for path, message in cases:
            with self.subTest(path=path):
                with self.assertRaises(proteome.InputError) as raised:
                    proteome.merge("all.fa", [("a.fa", "accession"), (path, "accession")])
                self.assertIn(message, str(raised.exception))

    def test_split_keeps_every_sequence_in_order(self):
        self.write("all.fa", "".join(f">p{i}\n{'M' * (10 + i)}\n" for i in range(7)))
        proteome.split("all.fa", ["c1.fa", "c2.fa", "c3.fa"])
        chunks = [list(proteome.read_fasta(f"c{i}.fa", "word")) for i in (1, 2, 3)]
        self.assertEqual([name for chunk in chunks for name, _, _ in chunk], [b"p%d" % i for i in range(7)])
        sizes = [sum(len(sequence) for _, _, sequence in chunk) for chunk in chunks]
        self.assertLess(max(sizes) - min(sizes), 20)
        self.write("one.fa", ">p\nMK\n")
        proteome.split("one.fa", ["d1.fa", "d2.fa"])
        self.assertEqual(sorted([os.path.getsize("d1.fa"), os.path.getsize("d2.fa")]), [0, 6])


if __name__ == "__main__":
    unittest.main()
