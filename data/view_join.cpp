#include "data/view_join.h"

#include <algorithm>
#include <cstring>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/key_order.h"
#include "data/view_order.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace {

// CLEAR of a record: texts blank, everything else zero.
void clearRecord(FileControlBlock& table) {
  std::fill(table.record.begin(), table.record.end(), 0);
  for (const FieldDescriptor& field : table.fields) {
    if (field.type == kString && field.dimensions.empty() &&
        field.offset + field.size <= table.record.size()) {
      std::memset(table.record.data() + field.offset, ' ', field.size);
    }
  }
}

}  // namespace

int ViewJoin::make(FileControlBlock& table, KeyBlock& key,
                   std::span<FileControlBlock* const> sources,
                   const std::vector<std::string>& linkingFields, JoinKind kind,
                   std::unique_ptr<ViewJoin>& join) {
  const bool ownKey = std::any_of(table.keys.begin(), table.keys.end(),
                                  [&key](const KeyBlock& block) { return &block == &key; });
  if (!ownKey || linkingFields.empty() || linkingFields.size() > key.components.size())
    return kErrInvalidRecordDeclaration;
  std::unique_ptr<ViewJoin> made(new ViewJoin(table, key, kind));
  for (size_t i = 0; i < linkingFields.size(); ++i) {
    const uint16_t target = key.components[i].field;
    if (target < 1 || target > table.fields.size()) return kErrInvalidRecordDeclaration;
    const FieldDescriptor& into = table.fields[target - 1u];
    Link link;
    for (FileControlBlock* source : sources) {
      if (const uint16_t number = findField(*source, linkingFields[i]); number != 0) {
        const FieldDescriptor& from = source->fields[number - 1u];
        link.from = makeUfo(from.type, source->record.data() + from.offset, from.size, from.places);
        link.sameShape = from.type == into.type && from.size == into.size;
        break;
      }
    }
    if (!link.from) return kErrInvalidRecordDeclaration;
    link.into = makeUfo(into.type, table.record.data() + into.offset, into.size, into.places);
    made->links_.push_back(std::move(link));
  }
  join = std::move(made);
  return kNoError;
}

int ViewJoin::read(bool& matched) {
  matched = false;
  const size_t linked = links_.size();
  // The linking values in the leading components, the rest of the key at
  // its lowest: SET there and NEXT finds the first match, if any.
  fillKeyComponents(table_.fields, key_, linked, false, table_.record.data());
  for (Link& link : links_) {
    if (link.sameShape) {
      std::memcpy(link.into->address(), link.from->address(), link.into->size());
    } else if (link.from->isNumeric()) {
      link.into->assignReal(link.from->toReal());
    } else {
      link.into->assignText(link.from->text());
    }
  }
  wanted_.clear();
  encodeKeyValue(table_.fields, key_, table_.record.data(), wanted_, linked);
  int error = statement::setToKeyValue(table_, key_);
  if (error == kNoError) error = statement::next(table_);
  if (error == kNoError) {
    found_.clear();
    encodeKeyValue(table_.fields, key_, table_.record.data(), found_, linked);
    matched = found_ == wanted_;
  } else if (error != kErrRecordNotAvailable && error != kErrRecordNotFound) {
    return error;
  }
  if (!matched && kind_ == JoinKind::kOuter) clearRecord(table_);
  return kNoError;
}

}  // namespace zor::data
