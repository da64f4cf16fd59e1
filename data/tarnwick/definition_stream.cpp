#include "data/tarnwick/definition_stream.h"

#include <algorithm>
#include <numeric>

#include "data/key_order.h"
#include "data/tarnwick/item_key.h"
#include "runtime/type_codes.h"

namespace zor::tarnwick {

namespace {

using data::DeclarationCategory;
using data::DeclarationFault;
using data::FaultKind;

constexpr int category(DeclarationCategory c) {
  return static_cast<int>(c);
}

// What a value is checked as in compare mode; no name: not compared.
struct Check {
  int category = 0;
  int item = 0;
  const char* name = nullptr;
};

class Stream {
 public:
  enum class Mode { Write, Read, Compare };

  Stream(Mode mode, const std::vector<uint8_t>* input) : mode_(mode), input_(input) {}

  bool stopped() const { return malformed_ || fault_.has_value(); }
  bool malformed() const { return malformed_; }
  Mode mode() const { return mode_; }
  std::vector<uint8_t>& output() { return output_; }
  std::optional<DeclarationFault>& fault() { return fault_; }
  bool atEnd() const { return input_ == nullptr || position_ == input_->size(); }
  // Compare mode may leave the decimal places of DECIMAL fields unchecked.
  bool checksDecimalPlaces() const { return checksDecimalPlaces_; }
  void setChecksDecimalPlaces(bool checks) { checksDecimalPlaces_ = checks; }

  void raise(DeclarationFault fault) {
    if (!stopped()) fault_ = std::move(fault);
  }

  // Each answers the value as stored (the given one in write mode).
  uint16_t number(uint16_t& value, int bytes, Check check = {}) {
    if (stopped()) return value;
    if (mode_ == Mode::Write) {
      output_.push_back(static_cast<uint8_t>(value));
      if (bytes == 2) output_.push_back(static_cast<uint8_t>(value >> 8));
      return value;
    }
    if (input_->size() - position_ < static_cast<size_t>(bytes)) {
      malformed_ = true;
      return value;
    }
    uint16_t stored = (*input_)[position_];
    if (bytes == 2) stored = static_cast<uint16_t>(stored | ((*input_)[position_ + 1] << 8));
    position_ += static_cast<size_t>(bytes);
    if (mode_ == Mode::Read) {
      value = stored;
    } else if (check.name != nullptr && stored != value) {
      raise({check.category, check.item, check.name, FaultKind::Driver, 1, {}});
    }
    return stored;
  }

  void u8(uint8_t& value, Check check = {}) {
    uint16_t wide = value;
    number(wide, 1, check);
    value = static_cast<uint8_t>(wide);
  }
  void u16(uint16_t& value, Check check = {}) { number(value, 2, check); }

  // A count of elements; read mode sizes the vector to it.
  template <class T>
  void count(std::vector<T>& items, Check check) {
    uint16_t value = static_cast<uint16_t>(items.size());
    number(value, 2, check);
    if (mode_ == Mode::Read && !stopped()) items.resize(value);
  }

  void text(std::string& value) {
    if (stopped()) return;
    if (mode_ == Mode::Write) {
      output_.insert(output_.end(), value.begin(), value.end());
      output_.push_back(0);
      return;
    }
    const auto begin = input_->begin() + static_cast<std::ptrdiff_t>(position_);
    const auto end = std::find(begin, input_->end(), uint8_t{0});
    if (end == input_->end()) {
      malformed_ = true;
      return;
    }
    if (mode_ == Mode::Read) value.assign(begin, end);
    position_ = static_cast<size_t>(end - input_->begin()) + 1;
  }

 private:
  Mode mode_;
  const std::vector<uint8_t>* input_;
  size_t position_ = 0;
  std::vector<uint8_t> output_;
  bool malformed_ = false;
  bool checksDecimalPlaces_ = true;
  std::optional<DeclarationFault> fault_;
};

void walkField(Stream& s, FieldDefinition& f, int item) {
  const int c = category(DeclarationCategory::Field);
  s.u8(f.type, {c, item, "TYPE"});
  s.u16(f.offset);
  s.text(f.name);
  s.u16(f.elements, {c, item, "DIM"});
  s.u16(f.size, {c, item, "SIZE"});
  s.u16(f.over, {c, item, "OVER"});
  s.u16(f.dimensions, {c, item, "DIM"});
  if (f.type == kDecimal) {
    s.u8(f.digits, {c, item, "PLACES"});
    // Some writers of the format stored the places wrongly; a table may
    // be opened without comparing them.
    s.u8(f.places, s.checksDecimalPlaces() ? Check{c, item, "PLACES"} : Check{});
  }
  s.text(f.picture);
}

void walkMemo(Stream& s, MemoDefinition& m, int item) {
  const int c = category(DeclarationCategory::MemoBlob);
  s.text(m.externalName);
  s.text(m.label);
  s.u16(m.size, {c, item, "SIZE"});
  s.u16(m.attributes, {c, item, "BINARY"});
}

void walkKey(Stream& s, KeyDefinition& k, int item) {
  const int c = category(DeclarationCategory::Key);
  s.text(k.externalName);
  s.text(k.label);
  s.u8(k.attributes, {c, item, "ATTRIBUTE"});
  s.count(k.components, {c, item, "FIELDS"});
  const int component = category(DeclarationCategory::Component);
  for (size_t i = 0; i < k.components.size() && !s.stopped(); ++i) {
    const int number = static_cast<int>(i) + 1;
    s.u16(k.components[i].field, {component, number, "FIELD"});
    s.u16(k.components[i].order, {component, number, "ASCENDING"});
  }
}

void walk(Stream& s, TableDefinition& d) {
  const int file = category(DeclarationCategory::File);
  const uint16_t version = s.number(d.version, 2);
  if (!s.stopped() && version > kDefinitionVersionWithBlobs) {
    s.raise({file, 0, "VERSION", FaultKind::Driver, kNewerVersionIndex, kNewerVersionMessage});
    return;
  }
  const uint16_t storedLength = s.number(d.recordLength, 2);
  s.count(d.fields, {file, 0, "FIELDS"});
  s.count(d.memos, {file, 0, "MEMOS"});
  s.count(d.keys, {file, 0, "KEYS"});
  for (size_t i = 0; i < d.fields.size() && !s.stopped(); ++i)
    walkField(s, d.fields[i], static_cast<int>(i) + 1);
  for (size_t i = 0; i < d.memos.size() && !s.stopped(); ++i)
    walkMemo(s, d.memos[i], static_cast<int>(i) + 1);
  for (size_t i = 0; i < d.keys.size() && !s.stopped(); ++i)
    walkKey(s, d.keys[i], static_cast<int>(i) + 1);
  if (s.mode() == Stream::Mode::Compare && !s.stopped() && storedLength != d.recordLength)
    s.raise({file, 0, "SIZE", FaultKind::Driver, 1, {}});
}

uint16_t clamp16(uint64_t value) {
  return static_cast<uint16_t>(std::min<uint64_t>(value, 0xFFFF));
}

}  // namespace

TableDefinition TableDefinition::of(const data::FileControlBlock& fcb) {
  TableDefinition d;
  d.recordLength = clamp16(fcb.record.size());
  for (size_t i = 0; i < fcb.fields.size(); ++i) {
    const FieldDescriptor& field = fcb.fields[i];
    FieldDefinition f;
    f.type = field.type;
    f.offset = clamp16(field.offset);
    f.name = field.name != nullptr ? field.name : "";
    f.size = clamp16(field.size);
    f.dimensions = static_cast<uint16_t>(field.dimensions.size());
    if (!field.dimensions.empty()) {
      f.elements = clamp16(std::accumulate(field.dimensions.begin(), field.dimensions.end(),
                                           uint64_t{1}, std::multiplies<>()));
    }
    const size_t over = overTarget(fcb.fields, i);
    f.over = over < fcb.fields.size() ? static_cast<uint16_t>(over + 1) : 0;
    if (field.type == kDecimal) {
      f.digits = static_cast<uint8_t>(std::min<uint32_t>(field.size * 2 - 1, 255));
      f.places = static_cast<uint8_t>(std::min<uint32_t>(field.places, 255));
    }
    f.picture = field.picture != nullptr ? field.picture : "";
    d.fields.push_back(std::move(f));
  }
  for (const data::MemoBlock& memo : fcb.memos) {
    d.memos.push_back({memo.externalName, memo.label, clamp16(memo.size), memo.attributes});
    if (memo.isBlob()) d.version = kDefinitionVersionWithBlobs;
  }
  for (const data::KeyBlock& key : fcb.keys) {
    KeyDefinition k{key.externalName, key.label, static_cast<uint8_t>(key.attributes), {}};
    for (const data::KeyComponent& component : key.components)
      k.components.push_back({component.field, static_cast<uint16_t>(component.order)});
    d.keys.push_back(std::move(k));
  }
  return d;
}

void TableDefinition::declareInto(data::FileControlBlock& fcb) const {
  fcb.fields.clear();
  fcb.memos.clear();
  fcb.keys.clear();
  for (const FieldDefinition& f : fields) {
    FieldDescriptor field;
    field.type = f.type;
    field.offset = f.offset;
    field.size = f.size;
    field.places = f.places;
    if (f.dimensions != 0) field.dimensions.assign(1, f.elements);
    fcb.addField(field, f.name, f.picture);
  }
  for (const MemoDefinition& m : memos) {
    data::MemoBlock memo;
    memo.label = m.label;
    memo.externalName = m.externalName;
    memo.size = m.size;
    memo.attributes = m.attributes;
    fcb.memos.push_back(std::move(memo));
  }
  for (const KeyDefinition& k : keys) {
    data::KeyBlock key;
    key.label = k.label;
    key.externalName = k.externalName;
    key.attributes = k.attributes;
    for (const ComponentDefinition& c : k.components)
      key.components.push_back({c.field, static_cast<data::ComponentOrder>(c.order)});
    fcb.addKey(std::move(key));
  }
  fcb.record.assign(recordLength, 0);
}

std::vector<uint8_t> writeDefinition(const TableDefinition& definition) {
  TableDefinition copy = definition;
  Stream s(Stream::Mode::Write, nullptr);
  walk(s, copy);
  return std::move(s.output());
}

bool readDefinition(const std::vector<uint8_t>& stream, TableDefinition& definition,
                    std::optional<DeclarationFault>* fault) {
  definition = TableDefinition{};
  Stream s(Stream::Mode::Read, &stream);
  walk(s, definition);
  std::optional<DeclarationFault> found = s.fault();
  const bool read = !s.stopped() && s.atEnd();
  if (read) found = definitionDamage(definition);
  if (fault != nullptr) *fault = found;
  return read && !found;
}

std::optional<DeclarationFault> compareDefinition(const std::vector<uint8_t>& stream,
                                                  const TableDefinition& declared,
                                                  bool checkDecimalPlaces) {
  TableDefinition copy = declared;
  Stream s(Stream::Mode::Compare, &stream);
  s.setChecksDecimalPlaces(checkDecimalPlaces);
  walk(s, copy);
  if (s.malformed()) {
    return DeclarationFault{
        category(DeclarationCategory::File), 0, "DEFINITION", FaultKind::Driver, 1, {}};
  }
  return std::move(s.fault());
}

std::optional<DeclarationFault> definitionDamage(const TableDefinition& d) {
  const int fieldCategory = category(DeclarationCategory::Field);
  auto damage = [](int c, int item, const std::string& name, std::string what) {
    return DeclarationFault{c, item, name, FaultKind::Driver, 1, std::move(what)};
  };
  const uint64_t record = d.recordLength;
  if (record > kItemLengthLimit - 1 - 9)
    return damage(category(DeclarationCategory::File), 0, "SIZE",
                  "The record length " + std::to_string(record) + " exceeds the stored form");
  for (size_t i = 0; i < d.fields.size(); ++i) {
    const FieldDefinition& f = d.fields[i];
    const int item = static_cast<int>(i) + 1;
    const uint64_t elements = f.dimensions != 0 ? std::max<uint64_t>(f.elements, 1) : 1;
    const uint64_t end = f.offset + uint64_t{f.size} * elements;
    if (end > record) {
      return damage(fieldCategory, item, f.name,
                    "The field lies past the end of the record (offset " +
                        std::to_string(f.offset) + ", " + std::to_string(end - f.offset) +
                        " bytes, record " + std::to_string(record) + " bytes)");
    }
    const uint32_t fixed = fixedTypeSize(f.type);
    const bool decimalUnfit =
        f.type == kDecimal && (f.size == 0 || f.size > 16 || f.places > 2 * f.size - 1);
    if ((fixed != 0 && f.size != fixed) || decimalUnfit) {
      return damage(fieldCategory, item, f.name,
                    std::string("The field's size does not suit its type ") + typeName(f.type) +
                        " (" + std::to_string(f.size) + " bytes)");
    }
    if (f.over != 0 && f.over > i)
      return damage(fieldCategory, item, f.name, "The field is OVER no field before it");
  }
  if (d.memos.size() > 255)
    return damage(category(DeclarationCategory::MemoBlob), static_cast<int>(d.memos.size()),
                  "MEMO/BLOB", "More memos than the stored form holds");
  if (d.keys.size() > 240)
    return damage(category(DeclarationCategory::Key), static_cast<int>(d.keys.size()), "KEY",
                  "More keys than the stored form holds");
  for (size_t k = 0; k < d.keys.size(); ++k) {
    const KeyDefinition& key = d.keys[k];
    uint64_t length = 0;
    for (const ComponentDefinition& c : key.components) {
      if (c.field == 0 || c.field > d.fields.size() || d.fields[c.field - 1u].dimensions != 0) {
        return damage(
            category(DeclarationCategory::Key), static_cast<int>(k) + 1, key.label,
            "A component of the key names no field it can hold (" + std::to_string(c.field) + ")");
      }
      length += d.fields[c.field - 1u].size;
    }
    if (length > 7526) {
      return damage(category(DeclarationCategory::Key), static_cast<int>(k) + 1, key.label,
                    "The key's components are more than 7526 bytes long");
    }
  }
  return std::nullopt;
}

std::optional<DeclarationFault> definitionLimitFault(const data::FileControlBlock& fcb) {
  const int file = category(DeclarationCategory::File);
  // A record item holds the record after its 9-byte key.
  constexpr uint32_t kMostRecordBytes = kItemLengthLimit - 1 - 9;
  if (fcb.record.size() > kMostRecordBytes) {
    return DeclarationFault{
        file, 0, "SIZE", FaultKind::Driver, 1, "The record is larger than the driver supports"};
  }
  if (fcb.keys.size() > 240)
    return DeclarationFault{category(DeclarationCategory::Key),
                            static_cast<int>(fcb.keys.size()),
                            "KEY",
                            FaultKind::Driver,
                            3,
                            {}};
  for (const data::KeyBlock& key : fcb.keys) {
    if (data::keyValueLength(fcb.fields, key) > 7526) {
      return DeclarationFault{category(DeclarationCategory::Key),
                              key.number,
                              "SIZE",
                              FaultKind::Driver,
                              100,
                              "Key components are more than a total of 7526 bytes long"};
    }
  }
  for (size_t i = 0; i < fcb.memos.size(); ++i) {
    if (fcb.memos[i].size > 0xFFFF) {
      return DeclarationFault{category(DeclarationCategory::MemoBlob),
                              static_cast<int>(i) + 1,
                              "SIZE",
                              FaultKind::Driver,
                              4,
                              {}};
    }
  }
  if (fcb.memos.size() > 255) {
    return DeclarationFault{category(DeclarationCategory::MemoBlob),
                            static_cast<int>(fcb.memos.size()),
                            "MEMO/BLOB",
                            FaultKind::Driver,
                            3,
                            {}};
  }
  return std::nullopt;
}

}  // namespace zor::tarnwick
