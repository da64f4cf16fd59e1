#pragma once
// The structural check of a whole file: the header and its zones, every page
// decoding to its unpacked length, items in order, separators bounding their
// subtrees, no page reachable twice and every page of the zones reachable.
// It reads pages itself and reports problems instead of stopping.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/tarnwick/file_header.h"

namespace zor::tarnwick {

class PageStore;

struct FileSurvey {
  std::vector<std::string> problems;
  uint64_t items = 0;
  int depth = 0;  // levels of the tree (0 when it has no page)
  std::array<uint64_t, kZoneCount> pagesPerZone{};
  bool ok() const { return problems.empty(); }
};

FileSurvey surveyFile(PageStore& store);

}  // namespace zor::tarnwick
