#include "tools/twk/schema_difference.h"

#include "data/file_control_block.h"
#include "runtime/type_codes.h"

namespace zor::twk {

namespace {

using tarnwick::TableDefinition;

// "WHAT: the table has STORED, the schema says GIVEN".
std::string differs(const std::string& what, const std::string& stored, const std::string& given) {
  return what + ": the table has " + stored + ", the schema says " + given;
}

std::string number(uint64_t value) {
  return std::to_string(value);
}

std::string fieldDifference(size_t index, const tarnwick::FieldDefinition& stored,
                            const tarnwick::FieldDefinition& given) {
  const std::string what = "field " + number(index + 1) + " " + stored.name;
  if (stored.type != given.type)
    return differs(what + " type", typeName(stored.type), typeName(given.type));
  if (stored.size != given.size)
    return differs(what + " size", number(stored.size), number(given.size));
  if (stored.dimensions != given.dimensions || stored.elements != given.elements)
    return differs(what + " dim", number(stored.elements), number(given.elements));
  if (stored.over != given.over)
    return differs(what + " OVER", stored.over == 0 ? "none" : "field " + number(stored.over),
                   given.over == 0 ? "none" : "field " + number(given.over));
  if (stored.digits != given.digits || stored.places != given.places)
    return differs(what + " places", number(stored.places), number(given.places));
  if (stored.offset != given.offset)
    return differs(what + " offset", number(stored.offset), number(given.offset));
  if (stored.name != given.name)
    return differs("field " + number(index + 1) + " name", stored.name, given.name);
  return {};
}

std::string keyDifference(size_t index, const tarnwick::KeyDefinition& stored,
                          const tarnwick::KeyDefinition& given, const TableDefinition& table) {
  const std::string what = "key " + number(index + 1) + " " + stored.label;
  if (stored.attributes != given.attributes)
    return differs(what + " attributes", number(stored.attributes), number(given.attributes));
  if (stored.components.size() != given.components.size())
    return differs(what, number(stored.components.size()) + " components",
                   number(given.components.size()));
  for (size_t c = 0; c < stored.components.size(); ++c) {
    const tarnwick::ComponentDefinition& a = stored.components[c];
    const tarnwick::ComponentDefinition& b = given.components[c];
    auto fieldName = [&](uint16_t field) {
      return field >= 1 && field <= table.fields.size() ? table.fields[field - 1u].name
                                                        : "field " + number(field);
    };
    const std::string part = what + " component " + number(c + 1);
    if (a.field != b.field) return differs(part, fieldName(a.field), fieldName(b.field));
    if (a.order != b.order)
      return differs(
          part + " order",
          a.order == static_cast<uint16_t>(data::ComponentOrder::Descending) ? "descending"
                                                                             : "ascending",
          b.order == static_cast<uint16_t>(data::ComponentOrder::Descending) ? "descending"
                                                                             : "ascending");
  }
  return {};
}

}  // namespace

std::string describeSchemaDifference(const TableDefinition& stored, const TableDefinition& schema) {
  if (stored.recordLength != schema.recordLength)
    return differs("the record", number(stored.recordLength) + " bytes",
                   number(schema.recordLength));
  if (stored.fields.size() != schema.fields.size())
    return differs("the table", number(stored.fields.size()) + " fields",
                   number(schema.fields.size()));
  if (stored.memos.size() != schema.memos.size())
    return differs("the table", number(stored.memos.size()) + " memos",
                   number(schema.memos.size()));
  if (stored.keys.size() != schema.keys.size())
    return differs("the table", number(stored.keys.size()) + " keys", number(schema.keys.size()));
  for (size_t i = 0; i < stored.fields.size(); ++i) {
    if (std::string text = fieldDifference(i, stored.fields[i], schema.fields[i]); !text.empty())
      return text;
  }
  for (size_t i = 0; i < stored.memos.size(); ++i) {
    const tarnwick::MemoDefinition& a = stored.memos[i];
    const tarnwick::MemoDefinition& b = schema.memos[i];
    const std::string what = "memo " + number(i + 1) + " " + a.label;
    if (a.size != b.size) return differs(what + " size", number(a.size), number(b.size));
    if (a.attributes != b.attributes)
      return differs(what + " attributes", number(a.attributes), number(b.attributes));
  }
  for (size_t i = 0; i < stored.keys.size(); ++i) {
    if (std::string text = keyDifference(i, stored.keys[i], schema.keys[i], stored); !text.empty())
      return text;
  }
  return {};
}

}  // namespace zor::twk
