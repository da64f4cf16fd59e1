// twk items FILE: every item in key order, one a line: the key in hex, the
// total length and the key length.

#include <cstdio>
#include <iostream>

#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

int printItems(tarnwick::TarnwickFile& file) {
  static const char* digits = "0123456789abcdef";
  if (saidEmpty(file)) return kExitOk;
  tarnwick::Cursor cursor = file.cursor();
  std::string line;
  for (bool more = cursor.first(); more; more = cursor.next()) {
    const tarnwick::ItemView item = cursor.item();
    line.clear();
    for (uint8_t byte : item.key) {
      line += digits[byte >> 4];
      line += digits[byte & 15];
    }
    line += ' ' + std::to_string(item.key.size() + item.data.size()) + ' ' +
            std::to_string(item.key.size()) + '\n';
    std::cout << line;
  }
  return kExitOk;
}

int runItems(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("items", "items takes one file");
  return withOpenFile(arguments[0], printItems);
}

const char* const kHelp =
    "Lists every item of the file's tree in key order, one a line: the key in\n"
    "hexadecimal, the item's total length and its key length. Keys start with\n"
    "the table's 4-byte identifier and a kind byte (243 records, 250 the\n"
    "definition, 252 memos, 246 counters, a key's number its entries); table\n"
    "names start with 254.\n";

CommandRegistrar itemsCommand{"items", "FILE", "every item: key in hex, total length, key length",
                              runItems, kHelp};

}  // namespace
}  // namespace zor::twk
