#!/usr/bin/env python3
"""Proteome files for the all-against-all similarity search.

  proteome.py merge OUT --ids word|accession FASTA... [--ids word|accession FASTA...]...
      Writes the sequences of every FASTA file (gzip or plain) to OUT, each under the protein
      name alone, so that the search reports exactly the names of the networks. The name is the
      first word of the header (`word`), or for `accession` the second `|`-separated field of
      that word when it has one (UniProt's `sp|P12345|NAME_HUMAN` gives P12345); each --ids
      applies to the files after it. A name given twice, in one file or two, stops the merge:
      the search could not tell the two apart.
  proteome.py split IN OUT...
      Splits IN into as many query chunks as OUT files are named, in order, with about the same
      number of residues each (a chunk is empty when there are fewer sequences than chunks).

Exits with status 1 and a message naming the file and line at fault.
"""

import gzip
import sys
import zlib

RESIDUES = frozenset(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz*")


class InputError(Exception):
    pass


def open_maybe_gzip(path):
    with open(path, "rb") as probe:
        magic = probe.read(2)
    return gzip.open(path, "rb") if magic == b"\x1f\x8b" else open(path, "rb")


def protein_name(header, ids):
    words = header.split()
    if not words:
        return b""
    fields = words[0].split(b"|")
    return fields[1] if ids == "accession" and len(fields) > 1 and fields[1] else words[0]


def read_fasta(path, ids):
    """Yields (name, line number of the header, sequence) for every record of a FASTA file."""
    name, start, sequence = None, 0, []
    try:
        with open_maybe_gzip(path) as lines:
            for number, line in enumerate(lines, 1):
                line = line.rstrip(b"\r\n")
                if line.startswith(b">"):
                    if name is not None:
                        yield name, start, b"".join(sequence)
                    name, start, sequence = protein_name(line[1:], ids), number, []
                    if not name:
                        raise InputError(f"{path}:{number}: header without a protein name")
                    continue
                residues = b"".join(line.split())
                if not residues:
                    continue
                if name is None:
                    raise InputError(f"{path}:{number}: sequence before the first '>' header line "
                                     f"(is this a FASTA file?)")
                bad = set(residues) - RESIDUES
                if bad:
                    shown = bytes([min(bad)]).decode("latin-1")
                    raise InputError(f"{path}:{number}: {shown!r} is not an amino-acid letter")
                sequence.append(residues)
    except (OSError, EOFError, zlib.error) as error:
        raise InputError(f"{path}: cannot be read: {error}") from None
    if name is not None:
        yield name, start, b"".join(sequence)


def merge(out_path, sources):
    """Merges the FASTA files of `sources`, (path, ids) pairs, into out_path."""
    seen = {}
    with open(out_path, "wb") as out:
        for path, ids in sources:
            written, empty = 0, []
            for name, line, sequence in read_fasta(path, ids):
                if name in seen:
                    raise InputError(f"{path}:{line}: protein {name.decode('latin-1')} was already "
                                     f"named at {seen[name]}; names must be unique in all proteomes")
                seen[name] = f"{path}:{line}"
                if not sequence:
                    empty.append(f"{name.decode('latin-1')} (line {line})")
                    continue
                out.write(b">" + name + b"\n" + sequence + b"\n")
                written += 1
            if not written:
                raise InputError(f"{path}: no protein sequence found")
            print(f"{path}: {written} sequences", file=sys.stderr)
            if empty:
                print(f"{path}: {len(empty)} records without a sequence left out: "
                      f"{', '.join(empty[:10])}{' ...' if len(empty) > 10 else ''}", file=sys.stderr)


def split(in_path, out_paths):
    records = list(read_fasta(in_path, "word"))
    total = sum(len(sequence) for _, _, sequence in records)
    outs = [open(path, "wb") for path in out_paths]
    try:
        done = 0
        for name, _, sequence in records:
            # The chunk that holds the middle of the sequence.
            middle = 2 * done + len(sequence)
            chunk = min(middle * len(outs) // max(2 * total, 1), len(outs) - 1)
            outs[chunk].write(b">" + name + b"\n" + sequence + b"\n")
            done += len(sequence)
    finally:
        for out in outs:
            out.close()


def merge_sources(args):
    """The (path, ids) pairs of merge's arguments after OUT, or None when they are malformed."""
    sources, ids = [], None
    words = iter(args)
    for word in words:
        if word == "--ids":
            ids = next(words, None)
            if ids not in ("word", "accession"):
                return None
        elif ids is None:
            return None
        else:
            sources.append((word, ids))
    return sources or None


def main(argv):
    try:
        sources = merge_sources(argv[3:]) if len(argv) >= 3 and argv[1] == "merge" else None
        if sources:
            merge(argv[2], sources)
        elif len(argv) >= 4 and argv[1] == "split":
            split(argv[2], argv[3:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except InputError as error:
        print(f"proteome.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
