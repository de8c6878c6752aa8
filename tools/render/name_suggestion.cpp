#include "name_suggestion.h"

#include <algorithm>
#include <cctype>

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                        [](char x, char y) { return Lower(x) == Lower(y); });
  return it != haystack.end();
}

}  // namespace

int EditDistanceIgnoringCase(std::string_view a, std::string_view b) {
  // One row of the dynamic-programming table at a time.
  std::vector<int> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(j);
  for (size_t i = 1; i <= a.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (size_t j = 1; j <= b.size(); ++j) {
      const int above = row[j];
      const int substitution = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string ClosestName(std::string_view typed, const std::vector<std::string>& candidates) {
  const int allowed = std::max(2, static_cast<int>(typed.size()) / 3);
  int bestDistance = allowed + 1;
  const std::string* best = nullptr;
  for (const std::string& candidate : candidates) {
    const int distance = EditDistanceIgnoringCase(typed, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &candidate;
    }
  }
  if (best != nullptr) return *best;

  // "RoomSize" is far from "ReverbRoomSize" by edits but obviously meant.
  if (typed.size() < 3) return "";
  const std::string* containing = nullptr;
  for (const std::string& candidate : candidates) {
    if (!ContainsIgnoringCase(candidate, typed)) continue;
    if (containing != nullptr) return "";  // ambiguous
    containing = &candidate;
  }
  return containing != nullptr ? *containing : "";
}
