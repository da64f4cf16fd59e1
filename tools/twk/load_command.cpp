// twk load FILE[\!TABLE] SCHEMA CSV [--encoding utf8|latin1]: adds the CSV's
// records to the table, creating the table from the schema text (as twk
// schema prints it) when it does not exist yet. A schema that differs from an
// existing table, or a bad line, is refused with its line number; the table
// and all records go in as one change, so a refusal leaves the file as it
// was. A new file is written beside its name and appears only once it is
// complete, so a failed load leaves no file behind. The CSV is read a record
// at a time, and the change keeps what it has written out of memory, so that
// a load of any size takes about the same memory.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <system_error>

#include "data/declaration_error.h"
#include "data/file_errors.h"
#include "data/tarnwick/definition_text.h"
#include "data/tarnwick/open_table.h"
#include "data/tarnwick/record_csv.h"
#include "data/tarnwick/record_text.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "runtime/error_state.h"
#include "tools/common/input_file.h"
#include "tools/common/text_encoding.h"
#include "tools/twk/command.h"
#include "tools/twk/csv_columns.h"
#include "tools/twk/opened_file.h"
#include "tools/twk/schema_difference.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

// On a terminal, a load that takes longer than a second says how far it got:
// the records so far and the share of the CSV's bytes read (the records are
// not counted ahead, as the CSV is read only once).
class Progress {
 public:
  explicit Progress(uint64_t totalBytes) : totalBytes_(totalBytes), shown_(isatty(2) != 0) {}
  ~Progress() { clear(); }
  // Takes the progress line away before anything else is printed.
  void clear() {
    if (printed_) std::cerr << "\r\033[K" << std::flush;
    printed_ = false;
  }
  void at(size_t done, std::istream& in) {
    if (!shown_ || done % 256 != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200))
      return;
    last_ = now;
    printed_ = true;
    const std::streamoff read = in.tellg();
    std::cerr << "\rloaded " << done << " records";
    if (read > 0 && totalBytes_ > 0)
      std::cerr << " (" << uint64_t(read) * 100 / totalBytes_ << "% of the CSV)";
    std::cerr << std::flush;
  }

 private:
  uint64_t totalBytes_;
  bool shown_;
  bool printed_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_{};
};

class Loader {
 public:
  Loader(const TableArgument& argument, const std::string& csvPath, tool::TextEncoding encoding)
      : argument_(argument), csvPath_(csvPath), encoding_(encoding) {}

  tarnwick::TableDefinition definition;

  // A schema that could never hold a record is refused before any file is
  // touched.
  bool schemaFits() {
    definition.declareInto(schema_);
    schema_.driverName = "TARNWICK";
    if (tarnwick::checkTableDeclaration(schema_) == 0) return true;
    std::cerr << "twk: the schema cannot be stored: " << zor::fileErrorText() << " ("
              << zor::fileErrorCode() << ")\n";
    return false;
  }

  // Opens the CSV before any file is touched, so that one that cannot be
  // read is refused first.
  bool openCsv() {
    std::string problem;
    if (!tool::openInputFile(csvPath_, csv_, csvBytes_, problem)) {
      std::cerr << "twk: " << csvPath_ << ": " << problem << '\n';
      return false;
    }
    tool::skipByteOrderMark(csv_);
    return true;
  }

  int run(tarnwick::TarnwickFile& file, tarnwick::SharedAccess& access) {
    const std::string name = argument_.table.empty() ? tarnwick::kUnnamedTable : argument_.table;
    tarnwick::TableId id{};
    if (tarnwick::findTable(file, name, id)) {
      if (!sameAsStored(file, id, name)) return kExitFailure;
    } else if (int error = tarnwick::createTable(file, name, definition, id); error != 0) {
      std::cerr << "twk: table " << name << " cannot be made: " << errorTextOf(error) << " ("
                << error << ")\n";
      return kExitFailure;
    }
    tarnwick::CsvReader reader(csv_);
    tarnwick::CsvRow row;
    std::string fault;
    bool more = reader.next(row, fault);
    std::string problem;
    const std::optional<CsvColumns> columns = csvColumns(more ? &row : nullptr, schema_, problem);
    if (!columns) {
      std::cerr << "twk: " << csvPath_ << ": " << problem << '\n';
      return kExitFailure;
    }
    if (more && columns->headerRows != 0) more = reader.next(row, fault);
    tarnwick::Table table(file, id, schema_);
    std::vector<uint8_t> image(schema_.record.size(), 0);
    Progress progress(csvBytes_);
    size_t added = 0;
    for (; more; more = reader.next(row, fault)) {
      if (!fill(row, *columns, image)) {
        progress.clear();
        return kExitFailure;
      }
      uint32_t number = 0;
      if (int error = table.insertRecord(image.data(), nullptr, number); error != 0) {
        progress.clear();
        std::cerr << "twk: " << csvPath_ << ": line " << row.line
                  << (error == data::kErrDuplicateKey ? ": creates a duplicate key"
                                                      : ": cannot be added: " + errorTextOf(error) +
                                                            " (" + std::to_string(error) + ")")
                  << '\n';
        return kExitFailure;
      }
      ++added;
      file.store().keepChangeSmall();
      progress.at(added, csv_);
    }
    progress.clear();
    if (!fault.empty()) {
      std::cerr << "twk: " << csvPath_ << ": " << fault << '\n';
      return kExitFailure;
    }
    if (int error = access.commit(); error != 0) {
      std::cerr << "twk: " << argument_.file
                << ": the change cannot be written: " << errorTextOf(error) << " (" << error
                << ")\n";
      return kExitFailure;
    }
    std::cout << "loaded " << added << " records into " << name << '\n';
    return kExitOk;
  }

 private:
  // The table's stored definition must be the schema's, field by field, and
  // sound: records are laid out by it.
  bool sameAsStored(tarnwick::TarnwickFile& file, const tarnwick::TableId& id,
                    const std::string& name) {
    std::vector<uint8_t> stream;
    tarnwick::TableDefinition stored;
    std::optional<data::DeclarationFault> fault;
    if (!tarnwick::readDefinitionStream(file, id, stream) ||
        !tarnwick::readDefinition(stream, stored, &fault)) {
      std::cerr << "twk: " << argument_.file << ": the definition of table " << name
                << (fault ? ": " + data::declarationMessage(*fault) : std::string(" is damaged"))
                << '\n';
      return false;
    }
    std::string difference = describeSchemaDifference(stored, definition);
    if (difference.empty()) {
      if (auto compared = tarnwick::compareDefinition(stream, definition))
        difference = data::identifyingText(*compared);
    }
    if (difference.empty()) return true;
    std::cerr << "twk: the schema differs from table " << name << ": " << difference << '\n';
    return false;
  }

  bool fill(const tarnwick::CsvRow& row, const CsvColumns& columns, std::vector<uint8_t>& image) {
    if (row.cells.size() != columns.fieldOfColumn.size()) {
      std::cerr << "twk: " << csvPath_ << ": line " << row.line << ": " << row.cells.size()
                << " values where there are " << columns.fieldOfColumn.size() << " columns\n";
      return false;
    }
    std::fill(image.begin(), image.end(), 0);
    for (size_t i = 0; i < row.cells.size(); ++i) {
      const FieldDescriptor& field = schema_.fields[columns.fieldOfColumn[i]];
      const std::string* text = &row.cells[i];
      std::string reason;
      if (encoding_ == tool::TextEncoding::Utf8) {
        if (!tool::utf8ToLatin1(row.cells[i], converted_, reason)) {
          std::cerr << "twk: " << csvPath_ << ": line " << row.line << ", field " << field.name
                    << ": " << reason << '\n';
          return false;
        }
        text = &converted_;
      }
      if (!tarnwick::storeFieldText(field, *text, image.data(), reason)) {
        std::cerr << "twk: " << csvPath_ << ": line " << row.line << ", field " << field.name
                  << ": " << reason << '\n';
        return false;
      }
    }
    return true;
  }

  TableArgument argument_;
  std::string csvPath_;
  tool::TextEncoding encoding_;
  data::FileControlBlock schema_;
  std::ifstream csv_;      // opened, past any byte order mark
  std::string converted_;  // a cell's text in single bytes, reused from cell to cell
  uint64_t csvBytes_ = 0;
};

bool readInput(const std::string& path, std::string& text) {
  std::string problem;
  if (tool::readInputFile(path, text, problem)) {
    text = std::string(tool::withoutByteOrderMark(text));
    return true;
  }
  std::cerr << "twk: " << path << ": " << problem << '\n';
  return false;
}

// Loads into a new file written beside the name it is to have; the file
// takes that name only once complete, and never replaces one another
// program made meanwhile.
int loadIntoNewFile(const std::string& path, Loader& loader) {
  const std::string building = path + ".loading";
  std::error_code ignored;
  std::filesystem::remove(building, ignored);
  int result =
      withWritableFile(building, [&](tarnwick::TarnwickFile& file, tarnwick::SharedAccess& access) {
        return loader.run(file, access);
      });
  if (result == kExitOk) {
    std::error_code error;
    std::filesystem::create_hard_link(building, path, error);
    if (error) {
      std::cerr << "twk: " << path << ": "
                << (error == std::errc::file_exists ? "another program made the file meanwhile; "
                                                      "load again to add to it"
                                                    : "cannot be made: " + error.message())
                << '\n';
      result = kExitFailure;
    }
  }
  std::filesystem::remove(building, ignored);
  return result;
}

int runLoad(const Arguments& given) {
  Arguments arguments;
  tool::TextEncoding encoding = tool::TextEncoding::Utf8;
  for (size_t i = 0; i < given.size(); ++i) {
    if (given[i].rfind("--", 0) == 0 && given[i] != "--encoding") {
      return usageError("load", "unknown option " + given[i]);
    } else if (given[i] != "--encoding") {
      arguments.push_back(given[i]);
    } else if (i + 1 >= given.size() || !tool::readEncodingName(given[++i], encoding)) {
      return usageError("load", "--encoding takes utf8 or latin1" +
                                    (i < given.size() ? ", not \"" + given[i] + "\"" : ""));
    }
  }
  if (arguments.size() != 3) return usageError("load", "load takes FILE[\\!TABLE] SCHEMA CSV");
  const TableArgument argument = splitTableArgument(arguments[0]);
  Loader loader(argument, arguments[2], encoding);
  std::string text;
  std::string error;
  if (!readInput(arguments[1], text)) return kExitFailure;
  if (!tarnwick::parseDefinitionText(text, loader.definition, error)) {
    std::cerr << "twk: " << arguments[1] << ": " << error << '\n';
    return kExitFailure;
  }
  if (!loader.schemaFits()) return kExitFailure;
  if (!loader.openCsv()) return kExitFailure;
  std::error_code ignored;
  if (!std::filesystem::exists(argument.file, ignored))
    return loadIntoNewFile(argument.file, loader);
  return withWritableFile(argument.file,
                          [&](tarnwick::TarnwickFile& file, tarnwick::SharedAccess& access) {
                            return loader.run(file, access);
                          });
}

const char* const kHelp =
    "Adds the records of a CSV file to a table, and makes the table (and the\n"
    "file) when it does not exist yet, from the schema. Everything goes in as\n"
    "one change: a refused line leaves the file as it was, and a new file\n"
    "appears only when the load succeeded.\n"
    "\n"
    "The CSV: one record a line, cells separated by commas, a cell in double\n"
    "quotes when it holds a comma, a quote (written twice), a line break or\n"
    "blanks at either end; CRLF line ends and a UTF-8 byte order mark are\n"
    "read. A first line that names the fields is a header: names with or\n"
    "without the table prefix (T:NAME or NAME), in any letter case, in any\n"
    "order; fields it leaves out stay empty. Without a header the cells are\n"
    "the fields in the schema's order. Values are read as twk dump writes them.\n"
    "\n"
    "--encoding utf8 (the default) converts UTF-8 text to the single-byte\n"
    "characters stored (Latin-1); a character without one is refused with its\n"
    "line. --encoding latin1 stores the bytes as they are.\n"
    "\n"
    "The schema, as twk schema prints it (one line per item; blank lines and\n"
    "lines starting with # are skipped):\n"
    "\n"
    "  record 44                                   the record length in bytes\n"
    "  field 1 T:ID LONG offset=0 size=4 places=0 dim=0\n"
    "  field 2 T:NAME STRING offset=4 size=40 places=0 dim=0\n"
    "  memo 1 T:NOTES size=500 attributes=BINARY    (BLOB for a blob)\n"
    "  key 1 T:BYID attributes=none components=+T:ID\n"
    "  key 2 T:BYNAME attributes=DUP,NOCASE components=+T:NAME,-T:ID\n"
    "\n"
    "Field types: BYTE SHORT USHORT LONG ULONG SREAL REAL DECIMAL DATE TIME\n"
    "STRING CSTRING PSTRING GROUP; places= for DECIMAL, dim= the element count\n"
    "of an array. Key attributes: DUP, OPT, NOCASE, PRIMARY (or none);\n"
    "components + ascending, - descending. An existing table must have the\n"
    "same schema; where it differs is said.\n";

CommandRegistrar loadCommand{"load", "FILE[\\!TABLE] SCHEMA CSV [--encoding utf8|latin1]",
                             "add CSV records to a table, creating it from a schema", runLoad,
                             kHelp};

}  // namespace
}  // namespace zor::twk
