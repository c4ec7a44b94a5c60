// How far a complex's score stands above chance: p-values against the
// random-pass scores of its size, and their correction for the many complexes
// of one run.
#pragma once

#include <optional>
#include <vector>

// P(T >= t) for Student's t distribution with df > 0 degrees of freedom.
double studentTUpperTail(double t, double df);

// The parametric tail of the random scores of one size: P(X >= score) for a
// new score X drawn from the same normal law as the r samples, whose mean and
// variance are unknown. The prediction pivot (X - mean) / (sd * sqrt(1 + 1/r))
// follows Student's t with r - 1 degrees of freedom, so the p-values are
// exactly uniform when the random scores are normal, for any r >= 2. Unlike
// the empirical p, it is not floored at 1 / (1 + r), so it ranks complexes
// beyond the best random score. Empty with fewer than 2 samples or no spread.
std::optional<double> normalTailP(const std::vector<double>& samples, double score);

// Benjamini-Hochberg adjusted p-values (q-values), in the order of ps. Empty
// entries stay empty and are not counted as tests.
std::vector<std::optional<double>> benjaminiHochberg(const std::vector<std::optional<double>>& ps);
