"""The workflow's configuration: checked once, when the Snakefile is read, so that a mistake
stops the workflow before any job starts, with a message naming the key and the value at fault.

Paths are taken as given (relative ones relative to Snakemake's working directory)."""

import os
import shlex
import subprocess

# trellis2-prep's interaction sources.
SOURCE_FORMATS = ("string", "biogrid", "mitab", "edges")
# The first word of a FASTA header as it stands, or the accession of a UniProt-style
# `db|ACCESSION|ENTRY` word.
FASTA_IDS = ("word", "accession")
MIN_SPECIES, MAX_SPECIES = 2, 10
DEFAULT_DIAMOND = "--sensitive --evalue 1e-5 --max-target-seqs 0"

# Per rule: threads, memory (MB) and wall time (minutes). The search stages grow with the
# similarity links per protein; the preparation rules are light.
DEFAULT_RESOURCES = {
    "seeds": {"threads": 4, "mem_mb": 4000, "runtime": 720},
    "grow": {"threads": 4, "mem_mb": 4000, "runtime": 720},
    "refine": {"threads": 4, "mem_mb": 4000, "runtime": 720},
    "finish": {"threads": 2, "mem_mb": 4000, "runtime": 240},
    "diamond_db": {"threads": 2, "mem_mb": 4000, "runtime": 60},
    "diamond_blastp": {"threads": 4, "mem_mb": 16000, "runtime": 720},
    "convert_interactions": {"threads": 1, "mem_mb": 4000, "runtime": 120},
    "similarity_from_hits": {"threads": 1, "mem_mb": 8000, "runtime": 120},
    "check_inputs": {"threads": 1, "mem_mb": 4000, "runtime": 60},
    "annotate": {"threads": 1, "mem_mb": 4000, "runtime": 60},
    "light": {"threads": 1, "mem_mb": 1000, "runtime": 60},
}
RESOURCE_KEYS = ("threads", "mem_mb", "runtime")

# trellis2 options that the workflow sets itself on every stage.
WORKFLOW_OPTIONS = {
    "--stage": "the workflow runs every stage itself",
    "--shard": "the number of shards is the config key shards",
    "--threads:": "threads are set per stage under resources: (e.g. grow: {threads: 8})",
    "--species-names": "give each species its name: instead",
}
# diamond options that the workflow sets itself.
DIAMOND_OWN = {"--query", "-q", "--db", "-d", "--out", "-o", "--outfmt", "-f", "--threads", "-p"}

TOP_KEYS = {"out", "options", "shards", "similarity", "diamond", "species", "fasta_id",
            "annotate", "resources"}
SPECIES_KEYS = {"interactions", "source", "format", "prep", "fasta", "fasta_id", "name"}
ANNOTATE_KEYS = {"obo", "gaf", "reference"}
ANNOTATE_OUTPUTS = {
    "gaf": ("go_enrichment.tsv", "function_summary.tsv"),
    "reference": ("reference_match.tsv", "reference_hits.tsv"),
}
INPUT_PREFIX = "run"


class ConfigError(Exception):
    """A configuration mistake; the message names the key and the value."""


def _existing_file(path, key):
    if not isinstance(path, str) or not path:
        raise ConfigError(f"{key}: expected a file path, got {path!r}")
    if not os.path.isfile(path):
        raise ConfigError(f"{key}: {path}: no such file (relative paths are relative to "
                          f"the working directory {os.getcwd()})")
    return path


def _words(value, key):
    if value is None:
        return []
    if not isinstance(value, str):
        raise ConfigError(f"{key}: expected a string of options, got {value!r}")
    try:
        return shlex.split(value)
    except ValueError as error:
        raise ConfigError(f"{key}: {value!r}: {error}") from None


def _check_unknown(entry, known, key=None):
    """Refuses keys of `entry` (the mapping at `key`, None for the top level) that are not `known`."""
    unknown = sorted(set(entry) - known)
    if unknown:
        where = f"{key}: " if key else ""
        raise ConfigError(f"{where}unknown key(s) {', '.join(map(str, unknown))} "
                          f"(known: {', '.join(sorted(known))})")


def _whole_number(value, key, least):
    if isinstance(value, bool) or not isinstance(value, int) or value < least:
        raise ConfigError(f"{key}: expected a whole number >= {least}, got {value!r}")
    return value


def _fasta_id(value, key):
    if value not in FASTA_IDS:
        raise ConfigError(f"{key}: expected one of {', '.join(FASTA_IDS)}, got {value!r}")
    return value


def _species_name(value, key):
    # The names reach trellis2 as one comma-separated option value.
    if (not isinstance(value, str) or not value.strip() or value != value.strip() or "," in value
            or not value.isprintable()):
        raise ConfigError(f"{key}: expected a name without commas or surrounding blanks, got {value!r}")
    return value


class Species:
    """One species' network: a file in trellis2's format, or a source for trellis2-prep; its
    proteome, how its FASTA headers name the proteins, and its name."""

    def __init__(self, index, entry, need_fasta, fasta_id):
        key = f"species[{index}]"
        if not isinstance(entry, dict):
            raise ConfigError(f"{key}: expected a mapping with interactions: or source:, got {entry!r}")
        _check_unknown(entry, SPECIES_KEYS, key)
        if ("interactions" in entry) == ("source" in entry):
            raise ConfigError(f"{key}: give exactly one of interactions: (a file in trellis2's "
                              f"format) and source: (a file for trellis2-prep interactions)")
        self.interactions = None
        self.source = None
        self.format = None
        self.prep = []
        if "interactions" in entry:
            self.interactions = _existing_file(entry["interactions"], f"{key}.interactions")
            for only_with_source in ("format", "prep"):
                if only_with_source in entry:
                    raise ConfigError(f"{key}.{only_with_source}: only used with source:")
        else:
            self.source = _existing_file(entry["source"], f"{key}.source")
            self.format = entry.get("format")
            if self.format not in SOURCE_FORMATS:
                raise ConfigError(f"{key}.format: expected one of {', '.join(SOURCE_FORMATS)}, "
                                  f"got {self.format!r}")
            self.prep = _words(entry.get("prep"), f"{key}.prep")
        self.fasta = None
        if "fasta" in entry or need_fasta:
            if "fasta" not in entry:
                raise ConfigError(f"{key}: fasta: is needed when similarity: is left out "
                                  f"(the similarity file is then computed from the proteomes)")
            self.fasta = _existing_file(entry["fasta"], f"{key}.fasta")
        if "fasta_id" in entry and self.fasta is None:
            raise ConfigError(f"{key}.fasta_id: only used with fasta:")
        self.fasta_id = _fasta_id(entry.get("fasta_id", fasta_id), f"{key}.fasta_id")
        self.name = _species_name(entry["name"], f"{key}.name") if "name" in entry else None


class Annotation:
    """Files for trellis2-annotate: a GO ontology, per species GO annotations (GAF) and
    reference complexes."""

    def __init__(self, entry, species_count):
        if not isinstance(entry, dict):
            raise ConfigError(f"annotate: expected a mapping of obo:, gaf:, reference:, got {entry!r}")
        _check_unknown(entry, ANNOTATE_KEYS, "annotate")
        self.obo = _existing_file(entry["obo"], "annotate.obo") if "obo" in entry else None
        self.gaf = self._per_species(entry.get("gaf"), "annotate.gaf", species_count)
        self.reference = self._per_species(entry.get("reference"), "annotate.reference", species_count)
        if not self.gaf and not self.reference:
            raise ConfigError("annotate: give gaf: or reference: (species index: file)")

    @staticmethod
    def _per_species(mapping, key, species_count):
        if mapping is None:
            return {}
        if not isinstance(mapping, dict):
            raise ConfigError(f"{key}: expected a mapping of species index to file, got {mapping!r}")
        files = {}
        for index, path in mapping.items():
            number = int(index) if isinstance(index, str) and index.isdigit() else index
            if isinstance(number, bool) or not isinstance(number, int) or not 0 <= number < species_count:
                raise ConfigError(f"{key}: {index!r} is not a species index 0..{species_count - 1}")
            files[number] = _existing_file(path, f"{key}.{index}")
        return dict(sorted(files.items()))

    def arguments(self):
        """trellis2-annotate's options after OUTDIR."""
        words = ["--obo", self.obo] if self.obo else []
        for option, files in (("--gaf", self.gaf), ("--reference", self.reference)):
            for index, path in files.items():
                words += [option, f"{index}={path}"]
        return words

    def outputs(self):
        names = []
        for kind, files in (("gaf", self.gaf), ("reference", self.reference)):
            if files:
                names += ANNOTATE_OUTPUTS[kind]
        return names


class RunConfig:
    """The checked configuration and the paths derived from it."""

    def __init__(self, config):
        if not config:
            raise ConfigError("no configuration: run with --configfile run.yaml "
                              "(see workflow/config.example.yaml)")
        _check_unknown(config, TOP_KEYS)
        for key in ("out", "shards", "species"):
            if key not in config:
                raise ConfigError(f"{key}: missing")
        self.out = config["out"]
        # Braces would be read as wildcards in the rules' file patterns.
        if not isinstance(self.out, str) or not self.out.strip() or "{" in self.out or "}" in self.out:
            raise ConfigError(f"out: expected a directory path without braces, got {self.out!r}")
        self.out = os.path.normpath(self.out)
        self.shards = _whole_number(config["shards"], "shards", 1)
        self.options = self._trellis_options(config.get("options", ""))
        self.similarity = None
        if config.get("similarity") is not None:
            self.similarity = _existing_file(config["similarity"], "similarity")
        diamond = config.get("diamond")
        self.diamond = self._diamond_options(DEFAULT_DIAMOND if diamond is None else diamond)
        self.fasta_id = _fasta_id(config.get("fasta_id", "word"), "fasta_id")
        entries = config["species"]
        if not isinstance(entries, list) or not MIN_SPECIES <= len(entries) <= MAX_SPECIES:
            got = f"{len(entries)}" if isinstance(entries, list) else repr(entries)
            raise ConfigError(f"species: expected a list of {MIN_SPECIES} to {MAX_SPECIES} species, got {got}")
        self.species = [Species(i, entry, self.similarity is None, self.fasta_id)
                        for i, entry in enumerate(entries)]
        self.names = self._species_names()
        self.annotation = None
        if config.get("annotate") is not None:
            self.annotation = Annotation(config["annotate"], len(self.species))
        self.resources = self._resources(config.get("resources") or {})

    @staticmethod
    def _trellis_options(value):
        words = _words(value, "options")
        if len(words) % 2:
            raise ConfigError(f"options: {value!r}: {words[-1]} has no value (trellis2 options come "
                              f"in pairs, e.g. \"--pval-filter 1\"; a lone last option would be ignored)")
        for name in words[0::2]:
            if name in WORKFLOW_OPTIONS:
                raise ConfigError(f"options: {name} cannot be given here ({WORKFLOW_OPTIONS[name]})")
        return words

    def _species_names(self):
        names = [species.name for species in self.species]
        if not any(names):
            return []
        for index, name in enumerate(names):
            if name is None:
                raise ConfigError(f"species[{index}].name: missing (give every species a name, or none)")
            if names.index(name) < index:
                raise ConfigError(f"species[{index}].name: {name!r} is the name of species[{names.index(name)}] too")
        return names

    @staticmethod
    def _diamond_options(value):
        words = _words(value, "diamond")
        for word in words:
            if word.split("=")[0] in DIAMOND_OWN:
                raise ConfigError(f"diamond: {word} is set by the workflow")
        return words

    @staticmethod
    def _resources(entries):
        if not isinstance(entries, dict):
            raise ConfigError(f"resources: expected a mapping of rule to values, got {entries!r}")
        _check_unknown(entries, set(DEFAULT_RESOURCES), "resources")
        resources = {rule: dict(values) for rule, values in DEFAULT_RESOURCES.items()}
        for rule, values in entries.items():
            if not isinstance(values, dict):
                raise ConfigError(f"resources.{rule}: expected a mapping of "
                                  f"{', '.join(RESOURCE_KEYS)}, got {values!r}")
            _check_unknown(values, set(RESOURCE_KEYS), f"resources.{rule}")
            for name, value in values.items():
                resources[rule][name] = _whole_number(value, f"resources.{rule}.{name}", 1)
        return resources

    # The last value of a trellis2 option (a later occurrence overrides an earlier one).
    def option(self, name, default=None):
        values = [value for key, value in zip(self.options[0::2], self.options[1::2]) if key == name]
        return values[-1] if values else default

    def options_text(self):
        return shlex.join(self.options)

    def trellis2_options(self):
        """The options of every trellis2 stage but the workflow's own: the config's, then the
        species names when the species have them."""
        return self.options + (["--species-names", ",".join(self.names)] if self.names else [])

    def check_options_text(self):
        """trellis2-prep check's options for the model options of the run."""
        words = []
        for option, check_option in (("-H:", "--threshold"), ("-B:", "--beta")):
            if self.option(option) is not None:
                words += [check_option, self.option(option)]
        return shlex.join(words)

    def diamond_text(self):
        return shlex.join(self.diamond)

    def species_with(self, attribute):
        return [i for i, species in enumerate(self.species) if getattr(species, attribute)]

    # Paths.
    def path(self, *parts):
        return os.path.join(self.out, *parts)

    def input_prefix(self):
        return self.path("inputs", INPUT_PREFIX)

    def interactions_file(self, index):
        return f"{self.input_prefix()}_int-{index}.txt"

    def similarity_file(self):
        return f"{self.input_prefix()}_blast.txt"

    def labels_file(self):
        """Written from the proteomes when any species has one; trellis2 reads it beside the inputs."""
        return f"{self.input_prefix()}_labels.txt"

    def labels_command(self):
        """The labels of every proteome, each with its species' fasta_id; a protein named in two
        keeps its first label, as within one file."""
        commands = [shlex.join(["trellis2-prep", "labels", "--from", "fasta", "--fasta-id", species.fasta_id,
                                species.fasta]) for species in self.species if species.fasta]
        return "{ " + "; ".join(commands) + "; } | awk -F '\\t' '!seen[$1]++'"

    def input_files(self):
        files = [self.interactions_file(i) for i in range(len(self.species))] + [self.similarity_file()]
        return files + ([self.labels_file()] if self.species_with("fasta") else [])

    def shard_file(self, stage, index):
        return self.path("shards", f"{stage}-{index}-of-{self.shards}.bin")

    def shard_files(self, stage):
        return [self.shard_file(stage, i) for i in range(1, self.shards + 1)]

    def shard_mark(self, stage, index):
        """An empty file made with a shard, which the stages after it wait for."""
        return self.path("shards", "done", f"{stage}-{index}-of-{self.shards}")

    def shard_marks(self, stage):
        return [self.shard_mark(stage, i) for i in range(1, self.shards + 1)]

    def writes_report(self):
        return self.option("--report:", "1") != "0"

    def result_files(self):
        names = ["manifest.tsv"]
        if self.writes_report():
            names += ["complexes.tsv", "complexes.sif", "nodes.tsv", "report.html"]
        return [self.path(name) for name in names]

    def result_directories(self):
        return [self.path("alignments")] + [self.path(f"species_{i}") for i in range(len(self.species))]

    def annotation_files(self):
        return [self.path(name) for name in self.annotation.outputs()] if self.annotation else []

    def resource(self, rule, name):
        return self.resources[rule][name]


def check_trellis2_options(program, options):
    """Has trellis2 check the options of a run (`trellis2 --check-options OPTIONS...`): it exits with
    status 0, silently, when they are valid, and with status 2 and one line on standard error when
    not, which becomes the ConfigError. Returns False when this trellis2 cannot check options (an
    older build, which answers --check-options with another status), True otherwise."""
    try:
        result = subprocess.run([program, "--check-options", *options], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, errors="replace", timeout=120)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise ConfigError(f"options: {program} --check-options could not be run: {error}") from None
    if result.returncode == 2:
        lines = [line for line in result.stderr.splitlines() if line.strip()]
        raise ConfigError(f"options: {lines[0] if lines else 'refused by trellis2 --check-options'}")
    return result.returncode == 0


def lock_covers(out, lock_dir=os.path.join(".snakemake", "locks")):
    """Whether a Snakemake lock in lock_dir (of the working directory) names a file under `out`:
    another Snakemake run working on it, or one that was killed and left its lock behind."""
    top = os.path.abspath(out)
    try:
        names = os.listdir(lock_dir)
    except OSError:
        return False
    for name in names:
        try:
            with open(os.path.join(lock_dir, name), errors="replace") as lock:
                for line in lock:
                    path = os.path.abspath(line.strip()) if line.strip() else ""
                    if path == top or path.startswith(top + os.sep):
                        return True
        except OSError:
            continue
    return False
