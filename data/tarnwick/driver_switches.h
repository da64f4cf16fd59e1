#pragma once
// The texts the native driver takes through SEND. A text begins with a
// switch name (any case), optionally followed by "=" or blanks and a value.
// The answer is always the setting in force before the text changes it.
//
//   DecimalCheck  "OFF" (3 letters) switches the check off, else on
//   FULLBUILD     "ON" (2 letters) switches it on, else off
//   FLAGS         reads or stores the number kept in the table's record
//                 count counter item (an open table only)
//   TCF           the explicit transaction control file, process-wide
//   PNM, PNMQ     a table name of the open file, from a text or a number
//   REGISTER      the driver's name for the dynamic file support
//   IMPORTFILE    not supported: a warning when the table is not open
//
// Anything else (the framework's "QUICKSCAN=" and "Recover=" among them) is
// accepted with an empty answer and no effect.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_control_block.h"

namespace zor::tarnwick {

inline constexpr const char* kRegisterAnswer = "TARNWICK";
inline constexpr const char* kImportCaption = "File Import";
inline constexpr const char* kImportText = "File Driver does not support File Import";

// The per-table settings that SEND and the driver string change.
struct TableSwitches {
  bool decimalCheck = true;
  bool fullBuild = false;
};

// The settings of a declared file, kept in its control block from the first
// use on (the driver string's, then as SEND changes them), so that a SEND
// before OPEN holds for the OPEN. `messages` are the driver-string
// checker's.
TableSwitches& tableSwitchesOf(data::FileControlBlock& fcb,
                               std::vector<std::string>* messages = nullptr);

// What the table-bound switches need from the table.
class SwitchTable {
 public:
  virtual ~SwitchTable() = default;
  virtual bool isOpen() const = 0;
  // The number kept in the record count counter item.
  virtual bool readFlags(uint32_t& flags) = 0;
  virtual bool storeFlags(uint32_t flags) = 0;
  // Table names of the open file ("" when none fits).
  virtual std::string tableNameFrom(std::string_view text) = 0;
  virtual std::string tableNameByNumber(uint32_t number) = 0;
};

// Whether the text names one of the switches above (the rest are accepted
// and ignored), for a utility that tells its user so.
bool isDriverSwitch(std::string_view text);

// Handles one SEND text and answers its text.
std::string handleSend(std::string_view text, TableSwitches& switches, SwitchTable& table);

// The process-wide explicit transaction control file ("" when none).
std::string explicitControlFile();
void setExplicitControlFile(std::string name);

// Applies a FILE declaration's driver string: "/DecimalCheck=" to the table,
// "/TCF=" to the process. Answers the checker's messages (faulty values are
// ignored, the defaults stay).
std::vector<std::string> applyDriverString(std::string_view text, TableSwitches& switches);

}  // namespace zor::tarnwick
