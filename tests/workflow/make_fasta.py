#!/usr/bin/env python3
"""Writes one FASTA proteome per species that fits a network set of trellis2_synth.

Every group of proteins joined by similarity links in PREFIX_blast.txt (a connected component)
descends from one random ancestor sequence: each member is a copy with 10-30 % substitutions and a
few short insertions and deletions, so an all-against-all DIAMOND search finds the group again.
Every other protein gets an unrelated random sequence. The files depend on the seed alone.

Usage: make_fasta.py [--seed N] [--uniprot-from S] PREFIX OUT
reads PREFIX_int-<i>.txt and PREFIX_blast.txt, writes OUT_<i>.fa. Species S and later get
UniProt-style headers (sp|NAME|NAME_SPECIES ... GN=GNAME, the gene name G and the name in capitals),
the ones before plain ones (NAME description).
"""

import argparse
import glob
import os
import random
import sys

# Amino acids with their background frequencies (percent), so the search statistics see
# ordinary protein composition.
AMINO_ACIDS = "ARNDCQEGHILKMFPSTWYV"
FREQUENCIES = [8.3, 5.5, 4.1, 5.5, 1.4, 3.9, 6.7, 7.1, 2.3, 5.9,
               9.7, 5.8, 2.4, 3.9, 4.7, 6.6, 5.4, 1.1, 2.9, 6.9]
MIN_LENGTH, MAX_LENGTH = 150, 400


def read_names(path):
    """The protein names of a network or similarity file, in order of first appearance, and
    its pairs."""
    names, pairs = {}, []
    with open(path) as lines:
        for line in lines:
            fields = line.split()
            if not fields or fields[0].startswith("#") or len(fields) < 2:
                continue
            names.setdefault(fields[0], None)
            names.setdefault(fields[1], None)
            pairs.append((fields[0], fields[1]))
    return list(names), pairs


def components(pairs):
    """Connected components of the pairs, each in order of first appearance, ordered by their
    first member."""
    parent = {}

    def root(name):
        parent.setdefault(name, name)
        while parent[name] != name:
            parent[name] = parent[parent[name]]
            name = parent[name]
        return name

    order = []
    for a, b in pairs:
        for name in (a, b):
            if name not in parent:
                order.append(name)
            root(name)
        parent[root(a)] = root(b)
    groups = {}
    for name in order:
        groups.setdefault(root(name), []).append(name)
    return list(groups.values())


def random_sequence(rng, length):
    return rng.choices(AMINO_ACIDS, weights=FREQUENCIES, k=length)


def mutated_copy(rng, ancestor):
    """The ancestor with 10-30 % of its residues substituted and up to three indels of 1-5
    residues."""
    rate = rng.uniform(0.10, 0.30)
    sequence = [rng.choices(AMINO_ACIDS, weights=FREQUENCIES)[0] if rng.random() < rate else residue
                for residue in ancestor]
    for _ in range(rng.randint(0, 3)):
        at = rng.randrange(len(sequence))
        size = rng.randint(1, 5)
        if rng.random() < 0.5:
            sequence[at:at] = random_sequence(rng, size)
        else:
            del sequence[at:at + size]
    return sequence


def assign_sequences(rng, species_names, pairs):
    """A sequence for every protein of every species."""
    known = {name for names in species_names for name in names}
    sequences = {}
    for group in components([(a, b) for a, b in pairs if a in known and b in known]):
        ancestor = random_sequence(rng, rng.randint(MIN_LENGTH, MAX_LENGTH))
        for name in group:
            sequences[name] = mutated_copy(rng, ancestor)
    for names in species_names:
        for name in names:
            if name not in sequences:
                sequences[name] = random_sequence(rng, rng.randint(MIN_LENGTH, MAX_LENGTH))
    return sequences


def write_fasta(path, names, sequences, species, uniprot):
    with open(path, "w") as out:
        for name in names:
            if uniprot:
                out.write(f">sp|{name}|{name.upper()}_SP{species} Random protein OS=Species {species} "
                          f"GN=G{name.upper()} PE=1\n")
            else:
                out.write(f">{name} random protein of species {species}\n")
            sequence = "".join(sequences[name])
            for start in range(0, len(sequence), 60):
                out.write(sequence[start:start + 60] + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--uniprot-from", type=int, default=None, metavar="S")
    parser.add_argument("prefix")
    parser.add_argument("out")
    args = parser.parse_args()
    count = len(glob.glob(glob.escape(args.prefix) + "_int-*.txt"))
    network_files = [f"{args.prefix}_int-{i}.txt" for i in range(count)]
    if count < 1 or not all(os.path.exists(path) for path in network_files):
        sys.exit(f"make_fasta.py: no {args.prefix}_int-0.txt ... with consecutive numbers")
    species_names = [read_names(path)[0] for path in network_files]
    _, pairs = read_names(f"{args.prefix}_blast.txt")
    sequences = assign_sequences(random.Random(args.seed), species_names, pairs)
    for species, names in enumerate(species_names):
        uniprot = args.uniprot_from is not None and species >= args.uniprot_from
        write_fasta(f"{args.out}_{species}.fa", names, sequences, species, uniprot)


if __name__ == "__main__":
    main()
