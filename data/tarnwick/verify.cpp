#include "data/tarnwick/verify.h"

#include <optional>
#include <set>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/page.h"
#include "data/tarnwick/page_store.h"

namespace zor::tarnwick {

namespace {

constexpr size_t kProblemLimit = 100;
constexpr int kMaxLevel = 64;

std::string hexOf(Bytes bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < bytes.size() && i < 32; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  if (bytes.size() > 32) text += "...";
  return text;
}

std::string faultText(PageFault fault) {
  switch (fault) {
    case PageFault::Length:
      return "stored length does not match its zone";
    case PageFault::Home:
      return "names another unit as its home";
    case PageFault::RunLength:
      return "packed body does not unpack to its unpacked length";
    default:
      return "items do not decode to its unpacked length";
  }
}

class Walker {
 public:
  Walker(PageStore& store, FileSurvey& survey) : store_(store), survey_(survey) {}

  void problem(std::string text) {
    if (survey_.problems.size() < kProblemLimit) survey_.problems.push_back(std::move(text));
  }

  void checkHeader() {
    const FileHeader& header = store_.header();
    if (!header.zonesValid())
      problem("header: zones overlap, run backwards or hold part of a page");
    // A pending change is no damage: opening the file settles it (see
    // TarnwickFile::settledChange), and the survey reads the file as that
    // left it.
  }

  // Walks the subtree at `unit`; keys must lie in [low, high).
  void walk(uint32_t unit, std::optional<int> level, const std::vector<uint8_t>* low,
            const std::vector<uint8_t>* high, bool isRoot) {
    const std::string where = "page " + std::to_string(unit) + ": ";
    const int zone = store_.header().zoneOf(unit);
    if (zone == 0) return problem(where + "lies in no zone");
    if (!visited_.insert(unit).second) return problem(where + "reachable twice");
    std::vector<uint8_t> bytes;
    if (!store_.readStoredPage(unit, bytes)) return problem(where + "cannot be read whole");
    Page page(unit, 0);
    const PageFault fault = PageCodec::decode(bytes.data(), bytes.size(), unit, page);
    if (fault != PageFault::None) return problem(where + faultText(fault));
    if (level && page.level() != *level) {
      return problem(where + "level " + std::to_string(page.level()) + " where " +
                     std::to_string(*level) + " was expected");
    }
    if (page.level() > kMaxLevel) return problem(where + "level too high");
    if (isRoot) survey_.depth = page.level() + 1;
    ++survey_.pagesPerZone[static_cast<size_t>(zone)];
    if (load16(bytes.data() + 8) != page.measure()) problem(where + "content measure is wrong");
    if (page.count() == 0 && !isRoot) problem(where + "holds no items");
    const size_t first = page.isLeaf() ? 0 : 1;  // an inner page's first separator bounds nothing
    for (size_t i = first; i < page.count(); ++i) {
      const Bytes key = page.key(i);
      if (i > first && compareKeys(page.key(i - 1), key) >= 0) {
        problem(where + "items out of order at " + hexOf(key));
      }
      if ((low && compareKeys(key, *low) < 0) || (high && compareKeys(key, *high) >= 0)) {
        problem(where + "key " + hexOf(key) + " lies outside the bounds of its parent");
      }
    }
    if (page.isLeaf()) {
      survey_.items += page.count();
      return;
    }
    for (size_t i = 0; i < page.count(); ++i) {
      std::vector<uint8_t> childLow;
      std::vector<uint8_t> childHigh;
      if (i > 0) childLow.assign(page.key(i).begin(), page.key(i).end());
      if (i + 1 < page.count()) childHigh.assign(page.key(i + 1).begin(), page.key(i + 1).end());
      const PageNumber child = page.child(i);
      walk(static_cast<uint32_t>(child), page.level() - 1, i > 0 ? &childLow : low,
           i + 1 < page.count() ? &childHigh : high, false);
    }
  }

  void checkZones() {
    const FileHeader& header = store_.header();
    if (!header.zonesValid()) return;
    for (int zone = 1; zone < kZoneCount; ++zone) {
      for (uint32_t unit = header.zones[zone].start; unit < header.zones[zone].end; unit += zone) {
        if (!visited_.count(unit))
          problem("page " + std::to_string(unit) + ": not reachable from the root");
      }
    }
  }

 private:
  PageStore& store_;
  FileSurvey& survey_;
  std::set<uint32_t> visited_;
};

}  // namespace

FileSurvey surveyFile(PageStore& store) {
  FileSurvey survey;
  Walker walker(store, survey);
  walker.checkHeader();
  const uint32_t root = store.header().rootUnit;
  if (root != 0) walker.walk(root, std::nullopt, nullptr, nullptr, true);
  walker.checkZones();
  return survey;
}

}  // namespace zor::tarnwick
