// twk dump FILE[\!TABLE] [--key N] [--format csv|json] [--encoding utf8|latin1]:
// the table's records in record order, or in the order of key N (counted
// from 1), each field as text through its type; CSV starts with a line of
// the field names. Stored text is single-byte: it is written as UTF-8 unless
// CSV is asked for in latin1; JSON is always UTF-8.

#include <iostream>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/record_csv.h"
#include "data/tarnwick/record_text.h"
#include "data/tarnwick/table.h"
#include "runtime/type_codes.h"
#include "tools/common/text_encoding.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

struct DumpOptions {
  TableArgument table;
  int key = 0;  // 0: record order
  bool json = false;
  tool::TextEncoding encoding = tool::TextEncoding::Utf8;
};

class Dumper {
 public:
  Dumper(tarnwick::TarnwickFile& file, const FoundTable& found, const DumpOptions& options)
      : file_(file),
        found_(found),
        json_(options.json),
        utf8_(options.json || options.encoding == tool::TextEncoding::Utf8) {
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
    size_t unreadable = 0;
    tarnwick::Cursor cursor = file_.cursor();
    for (bool more = cursor.seek(tarnwick::bytesOf(prefix)); more; more = cursor.next()) {
      const tarnwick::Bytes key = cursor.key();
      if (!tarnwick::startsWith(key, tarnwick::bytesOf(prefix))) break;
      const tarnwick::Bytes number = keyNumber == 0 ? key.subspan(prefix.size()) : cursor.data();
      if (number.size() == 4) {
        numbers.push_back(tarnwick::loadBig32(number.data()));
      } else {
        std::cerr << "twk: " << found_.name << ": an item of the table holds no record number\n";
        ++unreadable;
      }
    }
    const size_t items = numbers.size() + unreadable;
    header();
    std::vector<uint8_t> image;
    bool first = true;
    for (uint32_t number : numbers) {
      // A record that is missing, or whose item is not as long as the
      // record, is not shown as something it is not.
      image.clear();
      if (!table.readRecord(number, image) || image.size() != schema_.record.size()) {
        std::cerr << "twk: " << found_.name << ": record " << number
                  << (image.empty() ? " is missing" : " is damaged (its item has the wrong length)")
                  << '\n';
        ++unreadable;
        continue;
      }
      record(image, first);
      first = false;
    }
    if (json_) std::cout << (first ? "[]\n" : "\n]\n");
    if (unreadable != 0) {
      std::cerr << "twk: " << found_.name << ": " << unreadable << " of " << items
                << " records could not be dumped (see twk verify)\n";
      return kExitFailure;
    }
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
    for (const FieldDescriptor& field : schema_.fields) {
      std::string text = tarnwick::fieldText(field, image.data());
      cells.push_back(utf8_ ? tool::latin1ToUtf8(text) : std::move(text));
    }
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
  bool utf8_;
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
    if (arguments[i] == "--key") {
      if (!hasValue) {
        problem = "--key takes a key number from 1";
        return false;
      }
      try {
        options.key = std::stoi(arguments[++i]);
      } catch (const std::exception&) {
        options.key = -1;
      }
      if (options.key < 1) {
        problem = "--key takes a key number from 1";
        return false;
      }
    } else if (arguments[i] == "--format") {
      if (!hasValue || (arguments[i + 1] != "csv" && arguments[i + 1] != "json")) {
        problem = "--format takes csv or json" +
                  (hasValue ? ", not \"" + arguments[i + 1] + "\"" : std::string());
        return false;
      }
      options.json = arguments[++i] == "json";
    } else if (arguments[i] == "--encoding") {
      if (!hasValue || !tool::readEncodingName(arguments[i + 1], options.encoding)) {
        problem = "--encoding takes utf8 or latin1" +
                  (hasValue ? ", not \"" + arguments[i + 1] + "\"" : std::string());
        return false;
      }
      ++i;
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
    return Dumper(file, found, options).run(options.key);
  });
}

const char* const kHelp =
    "Writes every record of the table: in record order, or with --key N in the\n"
    "order of the table's key N (counted from 1, as twk schema lists them).\n"
    "CSV starts with a line of the field names, which twk load reads back;\n"
    "JSON is an array of objects, one per record. Numbers are written as\n"
    "numbers, dates and times through the pictures @D10- and @T4 (empty when\n"
    "there is none), text without its padding, arrays and other bytes in hex.\n"
    "\n"
    "Stored text is single-byte (Latin-1); it is written as UTF-8, or with\n"
    "--encoding latin1 (CSV only) as the bytes stored. A record that cannot be\n"
    "read is named on stderr, and the dump then ends with exit code 1.\n";

CommandRegistrar dumpCommand{
    "dump", "FILE[\\!TABLE] [--key N] [--format csv|json] [--encoding utf8|latin1]",
    "the records of a table as CSV or JSON", runDump, kHelp};

}  // namespace
}  // namespace zor::twk
