// twk dump FILE[\!TABLE] [--key N] [--format csv|json]: the table's records
// in record order, or in the order of key N (counted from 1), each field as
// text through its type; CSV starts with a line of the field names.

#include <iostream>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/record_csv.h"
#include "data/tarnwick/record_text.h"
#include "data/tarnwick/table.h"
#include "runtime/type_codes.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

struct DumpOptions {
  TableArgument table;
  int key = 0;  // 0: record order
  bool json = false;
};

class Dumper {
 public:
  Dumper(tarnwick::TarnwickFile& file, const FoundTable& found, bool json)
      : file_(file), found_(found), json_(json) {
    found.definition.declareInto(schema_);
  }

  int run(int keyNumber) {
    if (keyNumber < 0 || static_cast<size_t>(keyNumber) > schema_.keys.size()) {
      std::cerr << "twk: table " << found_.name << " has no key " << keyNumber << '\n';
      return kExitFailure;
    }
    tarnwick::Table table(file_, found_.id, schema_);
    const tarnwick::ItemKey prefix = keyNumber == 0
                                         ? tarnwick::kindPrefix(found_.id, tarnwick::kRecordKind)
                                         : table.keyPrefix(schema_.keys[keyNumber - 1u]);
    std::vector<uint32_t> numbers;
    tarnwick::Cursor cursor = file_.cursor();
    for (bool more = cursor.seek(tarnwick::bytesOf(prefix)); more; more = cursor.next()) {
      const tarnwick::Bytes key = cursor.key();
      if (!tarnwick::startsWith(key, tarnwick::bytesOf(prefix))) break;
      const tarnwick::Bytes number = keyNumber == 0 ? key.subspan(prefix.size()) : cursor.data();
      if (number.size() == 4) numbers.push_back(tarnwick::loadBig32(number.data()));
    }
    header();
    std::vector<uint8_t> image;
    bool first = true;
    for (uint32_t number : numbers) {
      if (!table.readRecord(number, image)) continue;
      image.resize(schema_.record.size(), 0);
      record(image, first);
      first = false;
    }
    if (json_) std::cout << (first ? "[]\n" : "\n]\n");
    return kExitOk;
  }

 private:
  void header() {
    if (json_) return;
    std::vector<std::string> names;
    for (const FieldDescriptor& field : schema_.fields) names.emplace_back(field.name);
    std::cout << tarnwick::csvLine(names) << '\n';
  }

  void record(const std::vector<uint8_t>& image, bool first) {
    std::vector<std::string> cells;
    for (const FieldDescriptor& field : schema_.fields)
      cells.push_back(tarnwick::fieldText(field, image.data()));
    if (!json_) {
      std::cout << tarnwick::csvLine(cells) << '\n';
      return;
    }
    std::cout << (first ? "[\n  {" : ",\n  {");
    for (size_t i = 0; i < cells.size(); ++i) {
      const FieldDescriptor& field = schema_.fields[i];
      const bool number = isNumericType(field.type) && field.type != kDate && field.type != kTime &&
                          field.dimensions.empty();
      std::cout << (i ? ", " : "") << tarnwick::jsonString(field.name) << ": "
                << (number ? cells[i] : tarnwick::jsonString(cells[i]));
    }
    std::cout << '}';
  }

  tarnwick::TarnwickFile& file_;
  const FoundTable& found_;
  bool json_;
  data::FileControlBlock schema_;
};

bool parseOptions(const Arguments& arguments, DumpOptions& options, std::string& problem) {
  if (arguments.empty()) {
    problem = "dump takes FILE[\\!TABLE]";
    return false;
  }
  options.table = splitTableArgument(arguments[0]);
  for (size_t i = 1; i < arguments.size(); ++i) {
    const bool hasValue = i + 1 < arguments.size();
    if (arguments[i] == "--key" && hasValue) {
      try {
        options.key = std::stoi(arguments[++i]);
      } catch (const std::exception&) {
        options.key = -1;
      }
      if (options.key < 1) {
        problem = "--key takes a key number from 1";
        return false;
      }
    } else if (arguments[i] == "--format" && hasValue &&
               (arguments[i + 1] == "csv" || arguments[i + 1] == "json")) {
      options.json = arguments[++i] == "json";
    } else {
      problem = "unknown option " + arguments[i];
      return false;
    }
  }
  return true;
}

int runDump(const Arguments& arguments) {
  DumpOptions options;
  std::string problem;
  if (!parseOptions(arguments, options, problem)) return usageError("dump", problem);
  return withOpenFile(options.table.file, [&](tarnwick::TarnwickFile& file) {
    FoundTable found;
    if (!findTableIn(file, options.table, found)) return kExitFailure;
    return Dumper(file, found, options.json).run(options.key);
  });
}

CommandRegistrar dumpCommand{"dump", "FILE[\\!TABLE] [--key N] [--format csv|json]",
                             "the records of a table as CSV or JSON", runDump};

}  // namespace
}  // namespace zor::twk
