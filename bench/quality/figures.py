#!/usr/bin/env python3
"""Figures of the quality benchmark (bench/quality.sh).

  truth    PREFIX_truth.txt of trellis2_synth -> one reference file per species (plain
           'name<TAB>members' lines, the planted complex's proteins of that species)
  collect  one annotated run -> rows of figures per species, appended to a TSV
  show     the TSV -> tables for reading, one block per data set and species
  markdown the TSV -> the tables of bench/README.md

collect reads the run's species_<s>/complex_<id>.txt files (one line per aligned node, so a protein
filling several nodes appears several times) and the tables trellis2-annotate wrote into the run
directory: function_summary.tsv, reference_match.tsv and controls.tsv (with --controls).
"""
import argparse
import csv
import os
import sys
from collections import Counter

# Columns of the figures TSV, in order; the first three identify a row.
COLUMNS = [
    "input", "setting", "species", "name", "complexes", "at_cap", "coherent_fraction",
    "control_coherent_fraction", "controls", "undrawable_parts", "distinct_per_part", "repeated_parts",
    "most_filled", "connected_parts", "density", "control_density", "overlap_pairs", "max_overlap",
    "species_overlap_pairs", "reused", "references", "recall", "MMR", "Sn", "PPV", "Acc", "Sep",
    "control_recall", "control_MMR", "control_Sn", "control_PPV", "control_Acc", "control_Sep",
]


class InputError(Exception):
    pass


def read_tsv(path):
    if not os.path.isfile(path):
        return []
    with open(path, newline="") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def truth_references(truth_path, out_prefix):
    """Writes OUT_PREFIX_<s>.txt per species; returns the species count."""
    per_species = {}
    with open(truth_path) as f:
        for number, line in enumerate(f, 1):
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 3 or not fields[1].isdigit():
                raise InputError(f"{truth_path}:{number}: expected 'complex<TAB>species<TAB>proteins'")
            members = [p for p in fields[2].split() if p != "-"]
            per_species.setdefault(int(fields[1]), []).append((fields[0], members))
    for s, complexes in per_species.items():
        with open(f"{out_prefix}_{s}.txt", "w") as out:
            for name, members in complexes:
                out.write(f"planted_{name}\t{' '.join(members)}\n")
    return len(per_species)


def read_complexes(run_dir, species_num):
    """[(id, aligned nodes, [proteins per species, one entry per aligned node holding it])] in id
    order. A species file lists each protein once; the alignment file has one line per aligned
    node, so a protein that fills several nodes is counted from there."""
    ids = sorted(int(n[8:-4]) for n in os.listdir(os.path.join(run_dir, "species_0"))
                 if n.startswith("complex_") and n.endswith(".txt"))
    complexes = []
    for cid in ids:
        species_of = {}
        for s in range(species_num):
            with open(os.path.join(run_dir, f"species_{s}", f"complex_{cid:05d}.txt")) as f:
                for line in f:
                    if line.strip() and not line.startswith("#"):
                        species_of.setdefault(line.strip(), s)
        parts = [[] for _ in range(species_num)]
        nodes = 0
        with open(os.path.join(run_dir, "alignments", f"ucomplex_{cid:05d}.txt")) as f:
            for line in f:
                if not line.strip() or line.startswith("#"):
                    continue
                nodes += 1
                for protein in line.strip().split(","):
                    if protein not in species_of:
                        raise InputError(f"{f.name}: protein {protein!r} is in no species file of the complex")
                    parts[species_of[protein]].append(protein)
        complexes.append((cid, nodes, parts))
    return complexes


def overlap_ratio(a, b):
    """Shared proteins over the smaller set, as trellis2's overlap filter measures it."""
    return len(a & b) / min(len(a), len(b)) if a and b else 0.0


def overlaps(sets, threshold):
    """(pairs above threshold, largest ratio) over every pair of sets."""
    index = {}
    for i, members in enumerate(sets):
        for p in members:
            index.setdefault(p, []).append(i)
    above, largest = 0, 0.0
    for i, members in enumerate(sets):
        shared = Counter(j for p in members for j in index[p] if j > i)
        for j, common in shared.items():
            ratio = common / min(len(members), len(sets[j]))
            largest = max(largest, ratio)
            above += ratio > threshold
    return above, largest


def mean(values):
    values = list(values)
    return sum(values) / len(values) if values else None


def fmt(value, digits=3):
    if value is None or value == "":
        return ""
    if isinstance(value, str):
        value = float(value)
    return f"{value:.{digits}g}" if isinstance(value, float) else str(value)


def species_row(s, complexes, controls, function, match, overlap_threshold, top):
    parts = [c[2][s] for c in complexes]
    distinct = [set(p) for p in parts]
    sized = [r for r in controls if r["species"] == str(s) and int(r["size"]) >= 2]
    drawn = [r for r in sized if r["control_density"] != ""]
    reuse = Counter(p for d in distinct for p in d)
    species_pairs, _ = overlaps([d for d in distinct if d], overlap_threshold)
    row = {
        "species": s,
        "distinct_per_part": fmt(mean(len(d) for d in distinct)),
        "repeated_parts": fmt(mean(len(d) < len(p) for p, d in zip(parts, distinct) if p)),
        "most_filled": max((max(Counter(p).values()) for p in parts if p), default=0),
        "connected_parts": fmt(mean(r["connected"] == "1" for r in sized)),
        "density": fmt(mean(float(r["density"]) for r in sized)),
        "control_density": fmt(mean(float(r["control_density"]) for r in drawn)),
        "species_overlap_pairs": species_pairs,
        "reused": " ".join(f"{p}:{n}" for p, n in sorted(reuse.items(), key=lambda e: (-e[1], e[0]))[:top]),
    }
    if function:
        row.update({k: fmt(function[k]) for k in ("coherent_fraction", "control_coherent_fraction")})
        row.update({k: function[k] for k in ("controls", "undrawable_parts")})
    if match:
        row["references"] = match["references"]
        for k in ("recall", "MMR", "Sn", "PPV", "Acc", "Sep"):
            row[k] = fmt(match[k])
            row["control_" + k] = fmt(match["control_" + k])
        row.setdefault("controls", match["controls"])
    return row


def collect(args):
    complexes = read_complexes(args.run, args.species)
    sets = [set((s, p) for s, part in enumerate(c[2]) for p in part) for c in complexes]
    pairs, largest = overlaps(sets, args.overlap)
    functions = {int(r["species"]): r for r in read_tsv(os.path.join(args.run, "function_summary.tsv"))}
    matches = {int(r["species"]): r for r in read_tsv(os.path.join(args.run, "reference_match.tsv"))}
    controls = read_tsv(os.path.join(args.run, "controls.tsv"))
    names = args.names.split(",") if args.names else []
    rows = []
    for s in range(args.species):
        row = {k: "" for k in COLUMNS}
        row.update(input=args.input, setting=args.setting, name=names[s] if s < len(names) else "",
                   complexes=len(complexes), at_cap=fmt(mean(c[1] == args.cap for c in complexes)),
                   overlap_pairs=pairs, max_overlap=fmt(largest))
        row.update(species_row(s, complexes, controls, functions.get(s), matches.get(s), args.overlap, args.top))
        rows.append(row)
    new = not os.path.exists(args.out) or os.path.getsize(args.out) == 0
    with open(args.out, "a", newline="") as f:
        writer = csv.DictWriter(f, COLUMNS, delimiter="\t", lineterminator="\n")
        if new:
            writer.writeheader()
        writer.writerows(rows)


# The tables of show: (title, [(column, heading)]).
SHOWN = [
    ("Function and structure", [
        ("complexes", "cplx"), ("at_cap", "cap"), ("coherent_fraction", "coh"),
        ("control_coherent_fraction", "ctl"), ("distinct_per_part", "dist"), ("repeated_parts", "rep"),
        ("most_filled", "fill"), ("connected_parts", "conn"), ("density", "dens"),
        ("control_density", "ctl"), ("overlap_pairs", ">ovl"), ("max_overlap", "maxov"),
        ("species_overlap_pairs", ">ovl_s")]),
    ("Recovery (complex / control)", [
        ("references", "refs"), ("recall", "recall"), ("control_recall", "ctl"), ("MMR", "MMR"),
        ("control_MMR", "ctl"), ("Sn", "Sn"), ("control_Sn", "ctl"), ("PPV", "PPV"), ("control_PPV", "ctl"),
        ("Acc", "Acc"), ("control_Acc", "ctl"), ("Sep", "Sep"), ("control_Sep", "ctl")]),
]


def show(args):
    rows = read_tsv(args.table)
    if not rows:
        raise InputError(f"{args.table}: no figures")
    width = max(len(r["setting"]) for r in rows) + 2
    blocks = {}
    for r in rows:
        blocks.setdefault((r["input"], r["species"]), []).append(r)
    for (name, s), block in blocks.items():
        label = f" ({block[0]['name']})" if block[0]["name"] else ""
        print(f"== {name}, species {s}{label}")
        for title, columns in SHOWN:
            if all(all(r[c] == "" for c, _ in columns[2:]) for r in block):
                continue
            print(f"{title}:")
            print("setting".ljust(width) + " ".join(h.rjust(7) for _, h in columns))
            for r in block:
                print(r["setting"].ljust(width) + " ".join(r[c].rjust(7) for c, _ in columns))
        print("most reused proteins (complexes holding each):")
        for r in block:
            print(f"  {r['setting'].ljust(width)}{r['reused']}")
        print()


def markdown(args):
    """The tables of bench/README.md: per run, per species, and recovery per species."""
    rows = read_tsv(args.table)
    if not rows:
        raise InputError(f"{args.table}: no figures")

    def table(header, lines):
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        for line in lines:
            print("| " + " | ".join(line) + " |")
        print()

    def pair(r, key):
        return f"{r[key]} ({r['control_' + key]})" if r["control_" + key] else r[key]

    seen, runs = set(), []
    for r in rows:
        if r["setting"] not in seen:
            seen.add(r["setting"])
            runs.append(r)
    table(["setting", "complexes", "at cap", "pairs > 50%", "largest overlap"],
          [[f"`{r['setting']}`", r["complexes"], r["at_cap"], r["overlap_pairs"], r["max_overlap"]] for r in runs])
    label = {r["species"]: f"{r['species']} {r['name']}".strip() for r in rows}
    if args.species is not None:
        rows = [r for r in rows if r["species"] == str(args.species)]
    go = any(r["coherent_fraction"] for r in rows)
    table(["setting", "species"] + (["coherent (control)"] if go else []) +
          ["distinct", "repeated", "most filled", "connected", "density (control)", "most reused"],
          [[f"`{r['setting']}`", label[r["species"]]] + ([pair(r, "coherent_fraction")] if go else []) +
           [r["distinct_per_part"], r["repeated_parts"], r["most_filled"], r["connected_parts"],
            pair(r, "density"), r["reused"].split(" ")[0]] for r in rows])
    recovery = [r for r in rows if r["references"]]
    if recovery:
        table(["setting", "species", "references", "recall (control)", "MMR (control)", "Sn (control)",
               "PPV (control)", "Acc (control)", "Sep (control)"],
              [[f"`{r['setting']}`", label[r["species"]], r["references"]] +
               [pair(r, k) for k in ("recall", "MMR", "Sn", "PPV", "Acc", "Sep")] for r in recovery])


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="what", required=True)
    t = sub.add_parser("truth")
    t.add_argument("truth")
    t.add_argument("out_prefix")
    c = sub.add_parser("collect")
    c.add_argument("--run", required=True)
    c.add_argument("--species", type=int, required=True)
    c.add_argument("--input", required=True)
    c.add_argument("--setting", required=True)
    c.add_argument("--names", default="")
    c.add_argument("--cap", type=int, default=15, help="the size cap in aligned nodes")
    c.add_argument("--overlap", type=float, default=0.5, help="the overlap ratio counted as too much")
    c.add_argument("--top", type=int, default=3, help="most reused proteins listed")
    c.add_argument("--out", required=True)
    s = sub.add_parser("show")
    s.add_argument("table")
    m = sub.add_parser("markdown")
    m.add_argument("table")
    m.add_argument("--species", type=int, help="the rows of this species only")
    args = parser.parse_args(argv)
    try:
        if args.what == "truth":
            print(truth_references(args.truth, args.out_prefix))
        elif args.what == "collect":
            collect(args)
        elif args.what == "show":
            show(args)
        else:
            markdown(args)
    except (InputError, OSError, ValueError, KeyError) as e:
        print(f"figures: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
