#include "framework/error_table.h"

#include <algorithm>
#include <array>
#include <string>

namespace zor::fw {
namespace {

struct TableText {
  uint16_t id;
  uint8_t level;
  std::string_view title;
  std::string_view message;
};

// The framework's errors. "|" in a message breaks the line in the box.
constexpr TableText kErrors[] = {
    {1, 5, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {2, 5, "Access Denied", "Could not get write access to %File so trying read-only."},
    {3, 1, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4, 5, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {5, 5, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, 5, "File Access Error", "File %File could not be closed.  Error: %ErrorText."},
    {7, 5, "Record Was Not Updated", "This record was changed by another station."},
    {8, 5, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {9, 5, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to "
     "access a record from the %File file."},
    {10, 1, "Changes will be lost!", "Are you sure you want to cancel?"},
    {11, 1, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
    {12, 3, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {13, 5, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {14, 5, "Invalid Request", "This form cannot be used to delete a record"},
    {15, 5, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {16, 5, "Field contents error", "The value of %Field must be found in the %Message file."},
    {17, 5, "Value Error", "The value of %Field must be in the list : %Message."},
    {18, 5, "Range Error", "The value of %Field must be in range %Message."},
    {19, 5, "Range Error", "The value of %Field must be lower than %Message."},
    {20, 5, "Range Error", "The value of %Field must be higher than %Message."},
    {21, 5, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {22, 3, "WMF Parser Error", "Get next record from file %File failed."},
    {23, 5, "Invalid Request", "This form cannot be used to insert a record"},
    {24, 5, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {25, 5, "No Records", "There are no records available to process."},
    {26, 3, "File Access Error", "File %File could not be opened.  Error: %ErrorText."},
    {27, 5, "Procedure not defined", "The Procedure %Message has not been defined."},
    {28, 5, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {29, 3, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {30, 5, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {31, 5, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {33, 5, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {34, 5, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {35, 1, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?"},
    {36, 1, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {37, 1, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {38, 1, "Save Record", "Do you want to save the changes to this record?"},
    {39, 1, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of "
     "the file?"},
    {40, 1, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {41, 5, "Invalid Request", "This form cannot be used to update a record"},
    {42, 2, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {43, 5, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {44, 5, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    {45, 5, "SMTP Error", "The following SMTP Error occurred: %Message "},
    {46, 5, "NNTP Error", "%Message "},
    {47, 5, "Winsock Error", "%Message "},
    {48, 3, "WMF Parser Error", "Adding record to queue failed. Parsing %File."},
    {49, 3, "WMF Parser Error", "The File %File is not a valid WMF file."},
    {50, 3, "WMF Parser Error", "Invalid %Field control found. Parsing %File."},
    {51, 3, "WMF Parser Error", "Cannot find %Field id. Parsing %File."},
    {52, 5, "Report Writer Error", "Poorly Formed Comment String \"%Message\" at Position %Field."},
    {53, 5, "Report Writer Error", "Unknown Property %Message."},
};

constexpr size_t storedLength() {
  size_t length = 2;
  for (const TableText& entry : kErrors) {
    length += 2 + 1 + 1 + entry.title.size() + 1 + entry.message.size();
  }
  return length;
}

constexpr bool textsFitTheirLengthBytes() {
  for (const TableText& entry : kErrors) {
    if (entry.title.size() > 255 || entry.message.size() > 255) return false;
  }
  return true;
}
static_assert(textsFitTheirLengthBytes());
static_assert(std::size(kErrors) == kBuiltInErrorCount);
static_assert(storedLength() == kBuiltInErrorTableBytes);

constexpr void putText(std::array<uint8_t, storedLength()>& bytes, size_t& at,
                       std::string_view text) {
  bytes[at++] = static_cast<uint8_t>(text.size());
  for (char c : text) bytes[at++] = static_cast<uint8_t>(c);
}

// The table in its stored layout, made while compiling.
constexpr std::array<uint8_t, storedLength()> kStored = [] {
  std::array<uint8_t, storedLength()> bytes{};
  size_t at = 0;
  constexpr size_t count = std::size(kErrors);
  bytes[at++] = count & 0xFF;
  bytes[at++] = count >> 8;
  for (const TableText& entry : kErrors) {
    bytes[at++] = entry.id & 0xFF;
    bytes[at++] = entry.id >> 8;
    bytes[at++] = entry.level;
    putText(bytes, at, entry.title);
    putText(bytes, at, entry.message);
  }
  return bytes;
}();

}  // namespace

std::span<const uint8_t> builtInErrorTable() {
  return kStored;
}

std::optional<std::vector<ErrorEntry>> readErrorTable(std::span<const uint8_t> table) {
  size_t at = 0;
  auto take = [&](size_t bytes) {
    std::span<const uint8_t> taken = table.subspan(at, std::min(bytes, table.size() - at));
    at += taken.size();
    return taken.size() == bytes ? std::optional(taken) : std::nullopt;
  };
  auto number = [&](size_t bytes) -> std::optional<unsigned> {
    auto taken = take(bytes);
    if (!taken) return std::nullopt;
    unsigned value = 0;
    for (size_t i = bytes; i-- > 0;) value = value << 8 | (*taken)[i];
    return value;
  };
  auto text = [&]() -> std::optional<std::string> {
    auto length = number(1);
    auto taken = length ? take(*length) : std::nullopt;
    if (!taken) return std::nullopt;
    return std::string(taken->begin(), taken->end());
  };

  auto count = number(2);
  if (!count) return std::nullopt;
  std::vector<ErrorEntry> entries;
  constexpr size_t kSmallestEntry = 2 + 1 + 1 + 1;  // id, level, two empty texts
  entries.reserve(std::min<size_t>(*count, table.size() / kSmallestEntry));
  for (unsigned i = 0; i < *count; ++i) {
    auto id = number(2);
    auto level = id ? number(1) : std::nullopt;
    auto title = level ? text() : std::nullopt;
    auto message = title ? text() : std::nullopt;
    if (!message) return std::nullopt;
    entries.push_back({static_cast<int>(*id),
                       std::move(*message),
                       std::move(*title),
                       static_cast<uint8_t>(*level),
                       {}});
  }
  if (at != table.size()) return std::nullopt;
  return entries;
}

}  // namespace zor::fw
