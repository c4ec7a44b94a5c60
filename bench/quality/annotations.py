#!/usr/bin/env python3
"""The annotations of the quality benchmark, converted from what Debian ships into the files that
trellis2-annotate reads:

  ontology   GO.sqlite (r-bioc-go.db) -> OBO 1.2: current terms with name, namespace, alt_ids, is_a
             and part_of parents (GO.db spells them 'isa' and 'part of'); obsolete terms marked so
  human      org.Hs.eg.sqlite (r-bioc-org.hs.eg.db) -> GAF 2.2: every direct GO annotation of a
             gene with its evidence code, one row per UniProt accession of the gene (Entrez ->
             UniProt), the gene symbol in column 3
  swissprot  metastudent-data's Swiss-Prot GO sets (BPO, CCO, MFO goasp_annot.dat: accession and
             terms) -> GAF 2.2; the package records no evidence codes, so the rows carry 'NR' (not
             recorded)
  proxy      a PROXY reference of human complexes: every cellular-component term whose name ends in
             "complex" gives one reference complex, the proteins with an experimental annotation
             (EXP, IDA, IPI, IMP, IGI, IEP and their high-throughput forms) to the term or to one of
             its descendants by isa / part of. GO cellular components are not curated complexes:
             figures against this reference measure agreement with a proxy, not recovery of known
             complexes.

human and swissprot may keep only the proteins of given interaction files (--proteins), which
leaves every enrichment figure as it is (the population is the network's annotated proteins) and
keeps the files small. Only the standard library: sqlite3 reads the SQLite files directly.
"""
import argparse
import os
import sqlite3
import sys

GO_SQLITE = "/usr/lib/R/site-library/GO.db/extdata/GO.sqlite"
HUMAN_SQLITE = "/usr/lib/R/site-library/org.Hs.eg.db/extdata/org.Hs.eg.sqlite"
SWISSPROT_DIR = "/usr/share/metastudent-data/dataset_201401"

NAMESPACES = {"BP": "biological_process", "MF": "molecular_function", "CC": "cellular_component"}
ASPECTS = {"BP": "P", "MF": "F", "CC": "C"}
SWISSPROT_SETS = (("BPO", "P"), ("CCO", "C"), ("MFO", "F"))
# GO.db's names of the two relations that propagate annotations.
PROPAGATING = {"isa": "is_a", "part of": "part_of"}
EXPERIMENTAL = frozenset("EXP IDA IPI IMP IGI IEP HTP HDA HMP HGI HEP".split())
COMPLEX_ASPECT = "CC"


class InputError(Exception):
    pass


def connect(path):
    if not os.path.isfile(path):
        raise InputError(f"{path}: no such file (make deps-quality installs the annotation packages)")
    try:
        return sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    except sqlite3.Error as e:
        raise InputError(f"{path}: {e}")


def query(conn, path, sql, args=()):
    try:
        return conn.execute(sql, args).fetchall()
    except sqlite3.Error as e:
        raise InputError(f"{path}: {e} (not a GO.db / org.*.eg.db SQLite file?)")


class Ontology:
    """The terms of GO.sqlite: id -> (name, aspect BP/MF/CC), parents by relation, alt_ids,
    obsolete ids."""

    def __init__(self, path):
        conn = connect(path)
        self.path = path
        self.terms = {}
        internal = {}
        for _id, go_id, name, aspect in query(conn, path, "SELECT _id, go_id, term, ontology FROM go_term"):
            if aspect in NAMESPACES:
                self.terms[go_id] = (name, aspect)
                internal[_id] = go_id
        self.parents = {go_id: [] for go_id in self.terms}
        for aspect in NAMESPACES:
            table = f"go_{aspect.lower()}_parents"
            for child, parent, relation in query(
                    conn, path, f"SELECT _id, _parent_id, relationship_type FROM {table}"):
                if relation in PROPAGATING and child in internal and parent in internal:
                    self.parents[internal[child]].append((PROPAGATING[relation], internal[parent]))
        self.alt_ids = {}
        for _id, secondary in query(
                conn, path, "SELECT _id, secondary FROM go_synonym WHERE like_go_id = 1 AND secondary IS NOT NULL"):
            if _id in internal and secondary not in self.terms:
                self.alt_ids.setdefault(internal[_id], []).append(secondary)
        self.obsolete = {go_id: (name, aspect) for go_id, name, aspect in
                         query(conn, path, "SELECT go_id, term, ontology FROM go_obsolete")
                         if aspect in NAMESPACES and go_id not in self.terms}
        rows = query(conn, path, "SELECT value FROM metadata WHERE name = 'GOSOURCEDATE'")
        self.date = rows[0][0] if rows else ""
        conn.close()

    def descendants(self, root):
        """root and every term below it through is_a and part_of."""
        if not hasattr(self, "_children"):
            self._children = {}
            for child, links in self.parents.items():
                for _, parent in links:
                    self._children.setdefault(parent, []).append(child)
        seen, stack = {root}, [root]
        while stack:
            for child in self._children.get(stack.pop(), ()):
                if child not in seen:
                    seen.add(child)
                    stack.append(child)
        return seen


def write_obo(ontology, out):
    out.write("format-version: 1.2\n")
    if ontology.date:
        out.write(f"data-version: {ontology.date}\n")
    out.write(f"remark: converted from {ontology.path}\n")
    for go_id in sorted(ontology.terms):
        name, aspect = ontology.terms[go_id]
        out.write(f"\n[Term]\nid: {go_id}\nname: {name}\nnamespace: {NAMESPACES[aspect]}\n")
        for alt in sorted(ontology.alt_ids.get(go_id, ())):
            out.write(f"alt_id: {alt}\n")
        for relation, parent in sorted(set(ontology.parents[go_id])):
            out.write(f"is_a: {parent}\n" if relation == "is_a" else f"relationship: part_of {parent}\n")
    for go_id in sorted(ontology.obsolete):
        name, aspect = ontology.obsolete[go_id]
        out.write(f"\n[Term]\nid: {go_id}\nname: {name}\nnamespace: {NAMESPACES[aspect]}\nis_obsolete: true\n")


def network_proteins(paths):
    """The names in interaction files: the first two blank-separated fields of every line that is
    not a comment."""
    names = set()
    for path in paths:
        with open(path) as f:
            for line in f:
                fields = line.split()
                if len(fields) >= 2 and not line.startswith("#"):
                    names.update(fields[:2])
    return names


def gaf_row(accession, symbol, go_id, evidence, aspect, name, taxon, source):
    return "\t".join(["UniProtKB", accession, symbol, "", go_id, source, evidence, "", aspect, name, "",
                      "protein", f"taxon:{taxon}", "", source, "", ""]) + "\n"


def human_annotations(path):
    """(accession, symbol, go_id, evidence, aspect, gene name) of every direct annotation, sorted."""
    conn = connect(path)
    rows = []
    for aspect in NAMESPACES:
        rows += [r + (ASPECTS[aspect],) for r in query(
            conn, path,
            f"SELECT u.uniprot_id, i.symbol, g.go_id, g.evidence, i.gene_name FROM go_{aspect.lower()} g "
            "JOIN uniprot u ON u._id = g._id JOIN gene_info i ON i._id = g._id")]
    conn.close()
    return sorted(set((acc, sym, go, ev, asp, name) for acc, sym, go, ev, name, asp in rows))


def write_human_gaf(path, out, keep=None):
    out.write("!gaf-version: 2.2\n!converted from %s\n" % path)
    for accession, symbol, go_id, evidence, aspect, name in human_annotations(path):
        if keep is None or accession in keep:
            out.write(gaf_row(accession, symbol, go_id, evidence, aspect, name, 9606, "org.Hs.eg.db"))


def write_swissprot_gaf(directory, out, keep=None):
    out.write("!gaf-version: 2.2\n!converted from %s; evidence not recorded there (NR)\n" % directory)
    for subset, aspect in SWISSPROT_SETS:
        path = os.path.join(directory, subset, "goasp_annot.dat")
        if not os.path.isfile(path):
            raise InputError(f"{path}: no such file (make deps-quality installs metastudent-data)")
        with open(path) as f:
            for number, line in enumerate(f, 1):
                fields = line.split()
                if not fields:
                    continue
                if any(not t.startswith("GO:") for t in fields[1:]):
                    raise InputError(f"{path}:{number}: expected an accession and GO terms, found {line[:60]!r}")
                if keep is not None and fields[0] not in keep:
                    continue
                for go_id in dict.fromkeys(fields[1:]):
                    out.write(gaf_row(fields[0], fields[0], go_id, "NR", aspect, "", 0, "metastudent-data"))


def proxy_reference(ontology, annotations, max_size):
    """Reference complexes [(term, name, members)] from the cellular-component terms named
    '... complex': the proteins with an experimental annotation to the term or a descendant,
    sorted; terms with fewer than 2 or more than max_size proteins are left out. annotations:
    (protein, go_id, evidence) triples."""
    direct = {}
    for protein, go_id, evidence in annotations:
        if evidence in EXPERIMENTAL:
            direct.setdefault(go_id, set()).add(protein)
    references = []
    for go_id in sorted(ontology.terms):
        name, aspect = ontology.terms[go_id]
        if aspect != COMPLEX_ASPECT or not name.endswith("complex"):
            continue
        members = set()
        for term in ontology.descendants(go_id):
            members |= direct.get(term, set())
        if 2 <= len(members) <= max_size:
            references.append((go_id, name, sorted(members)))
    return references


def write_proxy(references, out):
    out.write("# PROXY reference: GO cellular-component terms named '... complex' with the human proteins\n"
              "# experimentally annotated to them or their descendants; not a curated set of complexes.\n")
    for go_id, name, members in references:
        out.write(f"{go_id} {name}\t{' '.join(members)}\n")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("what", choices=["ontology", "human", "swissprot", "proxy"])
    parser.add_argument("--out", required=True, help="the file to write")
    parser.add_argument("--go-sqlite", default=GO_SQLITE)
    parser.add_argument("--human-sqlite", default=HUMAN_SQLITE)
    parser.add_argument("--swissprot", default=SWISSPROT_DIR, help="metastudent-data's dataset directory")
    parser.add_argument("--proteins", nargs="*", help="interaction files: keep the rows of their proteins only")
    parser.add_argument("--max-size", type=int, default=200, help="proxy: largest reference kept (default 200)")
    args = parser.parse_args(argv)
    keep = network_proteins(args.proteins) if args.proteins else None
    tmp = args.out + ".tmp"
    try:
        with open(tmp, "w") as out:
            if args.what == "ontology":
                write_obo(Ontology(args.go_sqlite), out)
            elif args.what == "human":
                write_human_gaf(args.human_sqlite, out, keep)
            elif args.what == "swissprot":
                write_swissprot_gaf(args.swissprot, out, keep)
            else:
                rows = [(acc, go, ev) for acc, _, go, ev, _, _ in human_annotations(args.human_sqlite)]
                references = proxy_reference(Ontology(args.go_sqlite), rows, args.max_size)
                write_proxy(references, out)
        os.replace(tmp, args.out)
    except (InputError, OSError) as e:
        if os.path.exists(tmp):
            os.remove(tmp)
        print(f"annotations: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
