#pragma once
// "Did you mean" for mistyped names: the closest candidate by edit distance.

#include <string>
#include <string_view>
#include <vector>

// Levenshtein distance (insertions, deletions, substitutions), ignoring ASCII case.
int EditDistanceIgnoringCase(std::string_view a, std::string_view b);

// The candidate closest to 'typed', or "" when none is close enough to be a plausible
// typo: within a third of the typed length (at least 2 edits), or containing the
// typed text (at least 3 characters) as the only such candidate.
std::string ClosestName(std::string_view typed, const std::vector<std::string>& candidates);
