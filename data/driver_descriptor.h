#pragma once
// The constant record that describes a file driver: the operations it
// carries out, the value types its fields may have, its names, entry,
// capabilities and limits, its dialog library and its storage words.

#include <cstdint>
#include <span>
#include <string_view>

#include "data/driver_entry.h"

namespace zor::data {

// Capability bits of a driver.
enum DriverCapability : uint32_t {
  kCanMemo = 0x0001,
  kCanBlob = 0x0002,
  kCanBinaryMemo = 0x0004,
  kCanDescendingKeys = 0x0008,
  kCanMixedKeyOrder = 0x0010,
  kCanTransactions = 0x0020,
  kCanThreadedFiles = 0x0040,
  kCanMultipleTables = 0x0080,  // several tables in one file
};

struct DriverLimits {
  uint32_t maxRecordSize = 0;
  uint32_t maxFieldSize = 0;
  uint32_t maxMemoSize = 0;
  uint32_t maxKeySize = 0;  // total bytes of a key's components
  uint16_t maxKeys = 0;
  uint16_t maxKeyComponents = 0;
  uint16_t maxMemos = 0;
  uint8_t maxDimensions = 0;
};

// Creates a driver's dialog object (table picker, driver-string builder);
// returns nullptr when the driver has none in this front end.
using DriverDialogFactory = void* (*)();

struct DriverDescriptor {
  const uint8_t* operations;  // count byte, then one operation number per byte
  const uint8_t* fieldTypes;  // count byte, then one type code per byte
  char name[21];              // as in a declaration's driver attribute
  char libraryName[13];       // the stand-alone library form
  char text[45];
  char displayName[27];
  DriverEntry entry;
  uint32_t capabilities;  // DriverCapability bits
  DriverLimits limits;
  char dialogLibraryName[13];
  DriverDialogFactory createDialog;
  const char* blobWord;
  const char* memoWord;
  const char* indexWord;
  const char* keyWord;

  std::span<const uint8_t> operationList() const { return {operations + 1, operations[0]}; }
  std::span<const uint8_t> fieldTypeList() const { return {fieldTypes + 1, fieldTypes[0]}; }
  bool carriesOut(int op) const;
  bool supportsType(uint8_t typeCode) const;
  bool can(DriverCapability capability) const { return (capabilities & capability) != 0; }
  std::string_view driverName() const;
};

// The native driver's descriptor; its entry is filled in when the driver
// registers (driver_registry.h), so this record leaves it empty.
const DriverDescriptor& tarnwickDescriptor();
// The text driver's descriptor, with its entry.
const DriverDescriptor& asciiDescriptor();

}  // namespace zor::data
