// twk load FILE[\!TABLE] SCHEMA CSV: adds the CSV's records to the table,
// creating the table from the schema text (as twk schema prints it) when it
// does not exist yet. A schema that differs from an existing table, or a
// bad line, is refused with its line number; the table and all records go
// in as one change, so a refusal leaves the file as it was. The CSV is read
// a record at a time, and the change keeps what it has written out of
// memory, so that a load of any size takes about the same memory.

#include <fstream>
#include <iostream>
#include <sstream>

#include "data/declaration_error.h"
#include "data/tarnwick/definition_text.h"
#include "data/tarnwick/open_table.h"
#include "data/tarnwick/record_csv.h"
#include "data/tarnwick/record_text.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "runtime/error_state.h"
#include "tools/twk/command.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

bool readWhole(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

bool isHeader(const tarnwick::CsvRow& row, const data::FileControlBlock& schema) {
  if (row.cells.size() != schema.fields.size()) return false;
  for (size_t i = 0; i < row.cells.size(); ++i) {
    if (row.cells[i] != schema.fields[i].name) return false;
  }
  return true;
}

class Loader {
 public:
  Loader(const TableArgument& argument, const std::string& csvPath)
      : argument_(argument), csvPath_(csvPath) {}

  tarnwick::TableDefinition definition;

  int run(tarnwick::TarnwickFile& file, tarnwick::SharedAccess& access) {
    definition.declareInto(schema_);
    schema_.driverName = "TARNWICK";
    const std::string name = argument_.table.empty() ? tarnwick::kUnnamedTable : argument_.table;
    tarnwick::TableId id{};
    if (tarnwick::findTable(file, name, id)) {
      std::vector<uint8_t> stream;
      tarnwick::readDefinitionStream(file, id, stream);
      if (auto fault = tarnwick::compareDefinition(stream, definition)) {
        std::cerr << "twk: the schema differs from table " << name << ": "
                  << data::identifyingText(*fault) << '\n';
        return kExitFailure;
      }
    } else {
      if (tarnwick::checkTableDeclaration(schema_) != 0) {
        std::cerr << "twk: the schema cannot be stored: " << zor::fileErrorCode() << " ("
                  << zor::fileErrorText() << ")\n";
        return kExitFailure;
      }
      if (int error = tarnwick::createTable(file, name, definition, id); error != 0) {
        std::cerr << "twk: table " << name << " cannot be made (" << error << ")\n";
        return kExitFailure;
      }
    }
    tarnwick::Table table(file, id, schema_);
    std::vector<uint8_t> image(schema_.record.size(), 0);
    size_t added = 0;
    std::ifstream in(csvPath_, std::ios::binary);
    tarnwick::CsvReader reader(in);
    tarnwick::CsvRow row;
    std::string fault;
    for (bool first = true; reader.next(row, fault); first = false) {
      if (first && isHeader(row, schema_)) continue;
      if (!fill(row, image)) return kExitFailure;
      uint32_t number = 0;
      if (int error = table.insertRecord(image.data(), nullptr, number); error != 0) {
        std::cerr << "twk: " << csvPath_ << ": line " << row.line
                  << (error == 40 ? ": creates a duplicate key"
                                  : ": cannot be added (" + std::to_string(error) + ")")
                  << '\n';
        return kExitFailure;
      }
      ++added;
      file.store().keepChangeSmall();
    }
    if (!fault.empty()) {
      std::cerr << "twk: " << csvPath_ << ": " << fault << '\n';
      return kExitFailure;
    }
    if (int error = access.commit(); error != 0) {
      std::cerr << "twk: " << argument_.file << ": the change cannot be written (" << error
                << ")\n";
      return kExitFailure;
    }
    std::cout << "loaded " << added << " records into " << name << '\n';
    return kExitOk;
  }

 private:
  bool fill(const tarnwick::CsvRow& row, std::vector<uint8_t>& image) {
    if (row.cells.size() != schema_.fields.size()) {
      std::cerr << "twk: " << csvPath_ << ": line " << row.line << ": " << row.cells.size()
                << " values where the table has " << schema_.fields.size() << " fields\n";
      return false;
    }
    std::fill(image.begin(), image.end(), 0);
    for (size_t i = 0; i < row.cells.size(); ++i) {
      std::string reason;
      if (!tarnwick::storeFieldText(schema_.fields[i], row.cells[i], image.data(), reason)) {
        std::cerr << "twk: " << csvPath_ << ": line " << row.line << ", field "
                  << schema_.fields[i].name << ": " << reason << '\n';
        return false;
      }
    }
    return true;
  }

  TableArgument argument_;
  std::string csvPath_;
  data::FileControlBlock schema_;
};

int runLoad(const Arguments& arguments) {
  if (arguments.size() != 3) return usageError("load", "load takes FILE[\\!TABLE] SCHEMA CSV");
  const TableArgument argument = splitTableArgument(arguments[0]);
  Loader loader(argument, arguments[2]);
  std::string text;
  std::string error;
  if (!readWhole(arguments[1], text)) {
    std::cerr << "twk: " << arguments[1] << ": cannot be read\n";
    return kExitFailure;
  }
  if (!tarnwick::parseDefinitionText(text, loader.definition, error)) {
    std::cerr << "twk: " << arguments[1] << ": " << error << '\n';
    return kExitFailure;
  }
  if (!std::ifstream(arguments[2], std::ios::binary)) {
    std::cerr << "twk: " << arguments[2] << ": cannot be read\n";
    return kExitFailure;
  }
  return withWritableFile(argument.file,
                          [&](tarnwick::TarnwickFile& file, tarnwick::SharedAccess& access) {
                            return loader.run(file, access);
                          });
}

CommandRegistrar loadCommand{"load", "FILE[\\!TABLE] SCHEMA CSV",
                             "add CSV records to a table, creating it from a schema", runLoad};

}  // namespace
}  // namespace zor::twk
