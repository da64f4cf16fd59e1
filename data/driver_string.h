#pragma once
// Driver strings: the options a FILE declaration gives its driver, written
// as a series of switches "/NAME" or "/NAME=VALUE" (a value with blanks or
// "/" in it is quoted with ' or "). The checker tests each switch against the
// driver's switch table and reports faults with the driver-string messages;
// a faulty value is ignored and the switch keeps its default.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zor::data {

enum class SwitchValueKind {
  Flag,     // no value: "/NAME"
  Boolean,  // the true or the false text
  Number,   // a whole decimal number, optionally signed
  Text,     // any text
};

struct DriverSwitch {
  const char* name;
  SwitchValueKind kind;
  const char* defaultValue;  // in force when the string does not give the switch
  const char* emptyValue;    // taken for "/NAME" without "="; nullptr: a value is required
  const char* trueText;      // Boolean only
  const char* falseText;     // Boolean only
};

struct DriverStringSetting {
  std::string name;    // the switch's name as its table writes it
  std::string value;   // the value in force
  bool given = false;  // false: the default
};

struct DriverStringCheck {
  std::vector<DriverStringSetting> settings;  // one per table entry, table order
  std::vector<std::string> messages;          // one per fault, string order

  bool ok() const { return messages.empty(); }
  // The value in force for a switch (by name, without regard to case), or "".
  std::string valueOf(std::string_view name) const;
};

inline constexpr const char* kPoorlyFormed = "Poorly formed driver string.  ";

DriverStringCheck checkDriverString(std::string_view text, std::span<const DriverSwitch> table);

// The switches the native driver takes in a driver string: "TCF" (the
// transaction control file) and "DecimalCheck" (ON or OFF).
std::span<const DriverSwitch> tarnwickDriverStringSwitches();

}  // namespace zor::data
