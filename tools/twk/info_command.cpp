// twk info FILE: the header's fields, the zones in use, and what a walk of
// the tree finds (pages per size, depth, items).

#include <iostream>

#include "data/tarnwick/file_header.h"
#include "data/tarnwick/verify.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

uint32_t identifierValue(const std::array<uint8_t, 4>& bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         bytes[3];
}

int printInfo(tarnwick::TarnwickFile& file) {
  if (saidEmpty(file)) return kExitOk;
  const tarnwick::FileHeader& header = file.header();
  std::cout << "pending start:   " << header.pendingStart << '\n'
            << "pending end:     " << header.pendingEnd << '\n'
            << "change counter:  " << header.changeCounter << '\n'
            << "last identifier: " << identifierValue(header.lastIdentifier) << '\n'
            << "root unit:       " << header.rootUnit << '\n'
            << "logical end:     " << header.logicalEnd() << '\n'
            << "zones in use:\n";
  bool any = false;
  for (int zone = 1; zone < tarnwick::kZoneCount; ++zone) {
    const tarnwick::Zone& range = header.zones[zone];
    if (range.empty()) continue;
    any = true;
    std::cout << "  zone " << zone << ": units " << range.start << " to " << range.end << " ("
              << (range.end - range.start) / static_cast<uint32_t>(zone) << " pages)\n";
  }
  if (!any) std::cout << "  none\n";
  const tarnwick::FileSurvey survey = tarnwick::surveyFile(file.store());
  std::cout << "pages per size:\n";
  for (int zone = 1; zone < tarnwick::kZoneCount; ++zone) {
    if (survey.pagesPerZone[static_cast<size_t>(zone)] == 0) continue;
    std::cout << "  " << zone * tarnwick::kUnitSize
              << " bytes: " << survey.pagesPerZone[static_cast<size_t>(zone)] << '\n';
  }
  std::cout << "tree depth:      " << survey.depth << '\n'
            << "items:           " << survey.items << '\n';
  if (!survey.ok()) {
    std::cout << "problems:        " << survey.problems.size() << " (see twk verify)\n";
  }
  return kExitOk;
}

int runInfo(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("info", "info takes one file");
  return withOpenFile(arguments[0], printInfo);
}

const char* const kHelp =
    "Prints the file header (the pending region, the change counter, the last\n"
    "identifier given out, the root page and the logical end), the zones in\n"
    "use with their pages, and what a walk of the tree finds: pages per size,\n"
    "the depth and the number of items. Problems the walk meets are counted;\n"
    "twk verify names them.\n";

CommandRegistrar infoCommand{"info", "FILE", "header fields, zones, pages per size, depth, items",
                             runInfo, kHelp};

}  // namespace
}  // namespace zor::twk
