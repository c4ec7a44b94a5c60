#!/usr/bin/env bash
# Snakemake's cluster-status command for SLURM: prints running, success or failed for the job id
# that sbatch --parsable printed ("ID" or "ID;CLUSTER").
id=${1%%;*}
state=$(sacct -j "$id" -X -n -P -o State 2>/dev/null | head -n 1)
if [ -z "$state" ]; then
  # sacct lags right after submission, and some sites have no accounting database.
  state=$(scontrol show job "$id" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' | head -n 1)
fi
case "${state%% *}" in
  COMPLETED) echo success ;;
  "" | PENDING | CONFIGURING | RUNNING | COMPLETING | SUSPENDED | REQUEUED | REQUEUE_HOLD | \
    REQUEUE_FED | RESIZING | SIGNALING | STAGE_OUT | RESV_DEL_HOLD) echo running ;;
  *) echo failed ;;  # FAILED, CANCELLED, TIMEOUT, OUT_OF_MEMORY, NODE_FAIL, PREEMPTED, BOOT_FAIL, DEADLINE
esac
