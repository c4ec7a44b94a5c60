# The similarity file from the species' proteomes: one all-against-all DIAMOND blastp search,
# split by query chunks into SHARDS jobs against one database of every proteome (so E-values are
# those of the unsplit search), then trellis2-prep similarity over the hits of all chunks.

PROTEOME_FASTA = RUN.path("similarity", "proteome.fa")
DIAMOND_DB = RUN.path("similarity", "proteome")
CHUNK_FASTA = RUN.path("similarity", f"query-{{chunk}}-of-{SHARDS}.fa")
CHUNK_HITS = RUN.path("similarity", f"hits-{{chunk}}-of-{SHARDS}.tsv")
HIT_COLUMNS = "qseqid sseqid evalue"


localrules: proteome, query_chunks


rule proteome:
    input:
        [species.fasta for species in RUN.species],
    output:
        PROTEOME_FASTA,
    log:
        logged("proteome.txt"),
    params:
        # Each proteome with its species' fasta_id.
        command=shlex.join(
            PROTEOME + ["merge", PROTEOME_FASTA]
            + [word for species in RUN.species for word in ("--ids", species.fasta_id, species.fasta)]
        ),
    threads: RUN.resource("light", "threads")
    resources:
        **resources_of("light"),
    shell:
        "{params.command} 2> {log:q} || show_log {log:q}"


rule query_chunks:
    input:
        PROTEOME_FASTA,
    output:
        expand(CHUNK_FASTA, chunk=range(1, SHARDS + 1)),
    params:
        command=shlex.join(PROTEOME + ["split"]),
    threads: RUN.resource("light", "threads")
    resources:
        **resources_of("light"),
    shell:
        "{params.command} {input:q} {output:q}"


rule diamond_db:
    input:
        PROTEOME_FASTA,
    output:
        DIAMOND_DB + ".dmnd",
    log:
        logged("diamond-db.txt"),
    params:
        db=DIAMOND_DB,
    threads: RUN.resource("diamond_db", "threads")
    resources:
        **resources_of("diamond_db"),
    shell:
        "diamond makedb --in {input:q} --db {params.db:q} --threads {threads} > {log:q} 2>&1 || show_log {log:q}"


# diamond refuses an empty query file; a chunk can be empty when there are more chunks than
# sequences.
rule diamond_blastp:
    input:
        query=CHUNK_FASTA,
        db=DIAMOND_DB + ".dmnd",
    output:
        CHUNK_HITS,
    log:
        logged(f"diamond-{{chunk}}-of-{SHARDS}.txt"),
    params:
        options=RUN.diamond_text(),
        columns=HIT_COLUMNS,
    threads: RUN.resource("diamond_blastp", "threads")
    resources:
        **resources_of("diamond_blastp"),
    shell:
        "if [ -s {input.query:q} ]; then "
        "diamond blastp --query {input.query:q} --db {input.db:q} --outfmt 6 {params.columns} "
        "{params.options} --threads {threads} --out {output:q} > {log:q} 2>&1 || show_log {log:q}; "
        "else echo 'empty query chunk' > {log:q}; : > {output:q}; fi"


rule similarity_from_hits:
    input:
        hits=expand(CHUNK_HITS, chunk=range(1, SHARDS + 1)),
    output:
        RUN.similarity_file(),
    log:
        logged("similarity.txt"),
    params:
        columns=HIT_COLUMNS,
    threads: RUN.resource("similarity_from_hits", "threads")
    resources:
        **resources_of("similarity_from_hits"),
    shell:
        "cat {input.hits:q} | trellis2-prep similarity --from blast6 --columns {params.columns:q} - "
        "> {output:q} 2> {log:q} || show_log {log:q}"
