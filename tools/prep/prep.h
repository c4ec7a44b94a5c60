// trellis2-prep: turns public interaction and similarity data (STRING, BioGRID,
// PSI-MITAB, edge lists and SIF, BLAST+ and DIAMOND tables) into the input files
// of trellis2, and checks a prepared input set the way trellis2 reads it.
//
//   trellis2-prep interactions --from string|biogrid|mitab|edges [options] INPUT
//   trellis2-prep similarity --from blast6 [options] INPUT
//   trellis2-prep check N PREFIX [options]
//
// Output on standard output, counts and messages on standard error. Exit status
// 0 on success, 1 on an input error or an input set trellis2 would refuse, 2 on
// a bad command line.
#pragma once

// Runs the program; returns the exit status.
int prepMain(int argc, char** argv);
