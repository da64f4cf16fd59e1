#include "framework/ini_manager.h"

#include <charconv>
#include <cstring>
#include <mutex>
#include <optional>

#include "framework/settings_store.h"
#include "framework/stored_fields.h"
#include "platform/ascii_case.h"
#include "runtime/type_codes.h"
#include "ui/statements.h"

namespace zor::fw {
namespace {

constexpr uint32_t kSectorPartSize = INIManager::kSectorPartLength + 1;

// A whole decimal number within the range of a LONG, blanks around it
// allowed; nothing for anything else.
std::optional<int32_t> storedNumber(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string_view digits = *text;
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
  if (digits.starts_with('+')) digits.remove_prefix(1);
  int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
    return std::nullopt;
  }
  return value;
}

bool storable(const FieldDescriptor& field) {
  return field.dimensions.empty() &&
         (isNumericType(field.type) || field.type == kDate || field.type == kTime ||
          field.type == kString || field.type == kCString || field.type == kPString);
}

// The layout positions of the named fields; nothing when one cannot be stored.
std::optional<std::vector<size_t>> queueFields(const Queue& queue,
                                               const std::vector<std::string>& names) {
  if (names.empty() || names.size() > INIManager::kMostQueueFields) return std::nullopt;
  const RecordLayout& layout = queue.layout();
  std::vector<size_t> fields;
  for (const std::string& name : names) {
    size_t i = 0;
    while (i < layout.size() && !platform::equalsIgnoringCase(layout[i].name, name)) ++i;
    if (i == layout.size() || !storable(layout[i]) ||
        layout[i].offset + layout[i].size > queue.recordLength()) {
      return std::nullopt;
    }
    fields.push_back(i);
  }
  return fields;
}

std::unique_ptr<Ufo> fieldObject(const FieldDescriptor& field, uint8_t* record) {
  return makeUfo(field.type, record + field.offset, field.size, field.places);
}

// A field's value as stored: a STRING without its padding blanks.
std::string fieldText(const FieldDescriptor& field, const uint8_t* row) {
  std::vector<uint8_t> copy(row + field.offset, row + field.offset + field.size);
  std::string text = makeUfo(field.type, copy.data(), field.size, field.places)->text();
  if (field.type == kString) text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A record whose every field holds its empty value.
std::vector<uint8_t> emptyRecord(const Queue& queue) {
  std::vector<uint8_t> record(queue.recordLength());
  for (const FieldDescriptor& field : queue.layout()) {
    if (storable(field) && field.offset + field.size <= record.size()) {
      fieldObject(field, record.data())->clear();
    }
  }
  return record;
}

std::string recordEntry(const std::string& entry, size_t number) {
  return entry + "_" + std::to_string(number);
}

}  // namespace

// The sector list: Family, Item and Type, each a CSTRING(100).
struct INIManager::Sectors {
  Queue queue{{makeField("FAMILY", kCString, 0, kSectorPartSize),
               makeField("ITEM", kCString, kSectorPartSize, kSectorPartSize),
               makeField("TYPE", kCString, 2 * kSectorPartSize, kSectorPartSize)},
              3 * kSectorPartSize};
  bool changed = false;

  static const std::vector<std::string>& fields() {
    static const std::vector<std::string> names{"FAMILY", "ITEM", "TYPE"};
    return names;
  }

  static SectorName cut(SectorName sector) {
    sector.family = sector.family.substr(0, kSectorPartLength);
    sector.item = sector.item.substr(0, kSectorPartLength);
    sector.type = sector.type.substr(0, kSectorPartLength);
    return sector;
  }

  std::vector<SectorName> entries() const {
    std::vector<SectorName> list;
    for (size_t n = 1; n <= queue.records(); ++n) {
      const uint8_t* row = queue.row(n);
      const RecordLayout& layout = queue.layout();
      list.push_back(
          {fieldText(layout[0], row), fieldText(layout[1], row), fieldText(layout[2], row)});
    }
    return list;
  }

  // Adds the sector unless it is listed; answers whether it was added.
  bool add(const SectorName& sector) {
    const SectorName kept = cut(sector);
    for (const SectorName& listed : entries()) {
      if (listed == kept) return false;
    }
    std::vector<uint8_t> record(queue.recordLength(), 0);
    const std::string* parts[] = {&kept.family, &kept.item, &kept.type};
    for (size_t i = 0; i < 3; ++i) {
      fieldObject(queue.layout()[i], record.data())->assignText(*parts[i]);
    }
    return queue.add(record.data()) == 0;
  }
};

INIManager::INIManager() = default;
INIManager::~INIManager() = default;

void INIManager::Bind(const std::string& fileName, long nvType, long extraData) {
  std::lock_guard guard(critSect_);
  fileName_ = fileName.substr(0, kFileNameLength);
  nvType_ = nvType;
  extraData_ = extraData;
  store_ = makeSettingsStore(nvType, fileName_, extraData);
  problemReported_ = false;
  sectors_ = std::make_unique<Sectors>();
  LoadQueue(kSectorsSection, kSectorsEntry, sectors_->queue, Sectors::fields());
}

void INIManager::Release() {
  std::lock_guard guard(critSect_);
  if (sectors_) saveSectors();
  sectors_.reset();
  store_.reset();
}

void INIManager::Update() {
  std::lock_guard guard(critSect_);
  if (sectors_) saveSectors();
}

void INIManager::saveSectors() {
  if (!sectors_->changed) return;
  // What other copies of the program stored meanwhile, with ours added.
  Sectors merged;
  LoadQueue(kSectorsSection, kSectorsEntry, merged.queue, Sectors::fields());
  for (const SectorName& sector : sectors_->entries()) merged.add(sector);
  if (SaveQueue(kSectorsSection, kSectorsEntry, merged.queue, Sectors::fields())) {
    sectors_->changed = false;
  }
}

SettingsStore* INIManager::store() {
  if (!store_) return nullptr;
  const std::string problem = store_->problem();
  if (problem.empty()) return store_.get();
  if (!problemReported_) {
    problemReported_ = true;
    ReportProblem("The settings file " + problem +
                  ".|It is kept as it is: window positions and other settings are neither read "
                  "from it nor saved to it until it is mended or removed.");
  }
  return nullptr;
}

void INIManager::ReportProblem(const std::string& text) {
  ui::message(text, "Settings File Not Used", ui::ICON::Exclamation);
}

std::optional<std::string> INIManager::read(const std::string& section, const std::string& entry) {
  SettingsStore* settings = store();
  std::optional<std::string> value = settings ? settings->read(section, entry) : std::nullopt;
  if (!value || *value == kUnknown) return std::nullopt;
  if (value->size() > kValueLength) value->resize(kValueLength);
  return value;
}

bool INIManager::Update(const std::string& section, const std::string& entry,
                        const std::string& value) {
  std::lock_guard guard(critSect_);
  SettingsStore* settings = store();
  return settings && settings->write(section, entry, value);
}

bool INIManager::DeleteEntry(const std::string& section, const std::string& entry) {
  std::lock_guard guard(critSect_);
  SettingsStore* settings = store();
  return settings && settings->remove(section, entry);
}

std::string INIManager::Fetch(const std::string& section, const std::string& entry,
                              const std::string& defaultValue) {
  std::lock_guard guard(critSect_);
  return read(section, entry).value_or(defaultValue);
}

bool INIManager::FetchInto(const std::string& section, const std::string& entry, Ufo& variable) {
  std::lock_guard guard(critSect_);
  std::optional<std::string> value = read(section, entry);
  if (value) variable.assignText(*value);
  return value.has_value();
}

bool INIManager::FetchInto(const std::string& section, const std::string& entry,
                           std::string& variable) {
  std::lock_guard guard(critSect_);
  std::optional<std::string> value = read(section, entry);
  if (value) variable = std::move(*value);
  return value.has_value();
}

bool INIManager::SaveQueue(const std::string& section, const std::string& entry, const Queue& queue,
                           const std::vector<std::string>& names) {
  std::lock_guard guard(critSect_);
  const std::optional<std::vector<size_t>> fields = queueFields(queue, names);
  SettingsStore* settings = fields ? store() : nullptr;
  if (!settings) return false;
  // The records first and the count last, so that a count once written
  // never promises records that are not there.
  bool written = true;
  const size_t records = queue.records();
  for (size_t n = 1; n <= records; ++n) {
    std::vector<std::string> values;
    for (size_t field : *fields) values.push_back(fieldText(queue.layout()[field], queue.row(n)));
    std::string value = joinStoredFields(values);
    if (value.size() > kQueueValueLength) value.resize(kQueueValueLength);
    written = settings->write(section, recordEntry(entry, n), value) && written;
  }
  written = settings->write(section, entry, std::to_string(records)) && written;
  // Records of a longer queue stored before.
  for (size_t n = records + 1; settings->read(section, recordEntry(entry, n)); ++n) {
    settings->remove(section, recordEntry(entry, n));
  }
  return written;
}

bool INIManager::LoadQueue(const std::string& section, const std::string& entry, Queue& queue,
                           const std::vector<std::string>& names) {
  std::lock_guard guard(critSect_);
  const std::optional<std::vector<size_t>> fields = queueFields(queue, names);
  if (!fields) return false;
  const int32_t count = storedNumber(read(section, entry)).value_or(0);
  const std::vector<uint8_t> empty = emptyRecord(queue);
  // A count larger than the records stored (a file edited by hand) ends at
  // the first one missing.
  for (int32_t n = 1; n <= count; ++n) {
    std::optional<std::string> value = read(section, recordEntry(entry, static_cast<size_t>(n)));
    if (!value) break;
    const std::vector<std::string> parts = splitStoredFields(*value);
    std::vector<uint8_t> record = empty;
    for (size_t i = 0; i < fields->size() && i < parts.size(); ++i) {
      fieldObject(queue.layout()[(*fields)[i]], record.data())->assignText(parts[i]);
    }
    if (queue.add(record.data()) != 0) return false;
  }
  return true;
}

void INIManager::SaveWindow(const std::string& section, ui::Window& window) {
  std::lock_guard guard(critSect_);
  const WindowPosition position = windowPosition(window);
  Update(section, "Maximize", position.Maximized ? "Yes" : "No");
  Update(section, "Minimize", position.Minimized ? "Yes" : "No");
  const std::pair<const char*, int32_t> values[] = {
      {"XPos", position.X}, {"YPos", position.Y}, {"Width", position.W}, {"Height", position.H}};
  for (const auto& [name, value] : values) {
    if (value == kNoPosition) {
      DeleteEntry(section, name);
    } else {
      Update(section, name, std::to_string(value));
    }
  }
}

WindowPosition INIManager::RestoreWindow(const std::string& section, ui::Window& window) {
  std::lock_guard guard(critSect_);
  WindowPosition position;
  const std::optional<std::string> maximize = read(section, "Maximize");
  const bool yes = maximize && platform::equalsIgnoringCase(*maximize, "Yes");
  if (!yes && !(maximize && platform::equalsIgnoringCase(*maximize, "No"))) return position;
  position.Maximized = yes;
  uint8_t minimized = 0;
  if (std::optional<std::string> text = read(section, "Minimize")) {
    makeUfo(kByte, &minimized, 1)->assignText(*text);
  }
  position.Minimized = minimized;
  position.X = storedNumber(read(section, "XPos")).value_or(kNoPosition);
  position.Y = storedNumber(read(section, "YPos")).value_or(kNoPosition);
  position.W = storedNumber(read(section, "Width")).value_or(kNoPosition);
  position.H = storedNumber(read(section, "Height")).value_or(kNoPosition);
  position.Got = 1;
  applyWindowPosition(window, position);
  return position;
}

std::string INIManager::MakeSectorName(std::string_view family, std::string_view item,
                                       std::string_view type) {
  return makeSectorName(family, item, type);
}

SectorName INIManager::SplitSectorName(std::string_view name) {
  return splitSectorName(name);
}

void INIManager::RegisterSector(std::string_view sectionName) {
  std::lock_guard guard(critSect_);
  if (sectors_ && sectors_->add(splitSectorName(sectionName))) sectors_->changed = true;
}

std::vector<SectorName> INIManager::ListSectors(std::string_view family, std::string_view item,
                                                std::string_view type) const {
  std::lock_guard guard(critSect_);
  std::vector<SectorName> found;
  if (!sectors_) return found;
  for (SectorName& sector : sectors_->entries()) {
    if ((family.empty() || sector.family == family) && (item.empty() || sector.item == item) &&
        (type.empty() || sector.type == type)) {
      found.push_back(std::move(sector));
    }
  }
  return found;
}

std::string INIManager::FileName() const {
  std::lock_guard guard(critSect_);
  return fileName_;
}

long INIManager::NVType() const {
  std::lock_guard guard(critSect_);
  return nvType_;
}

long INIManager::ExtraData() const {
  std::lock_guard guard(critSect_);
  return extraData_;
}

bool INIManager::bound() const {
  std::lock_guard guard(critSect_);
  return store_ != nullptr;
}

std::string INIManager::Problem() const {
  std::lock_guard guard(critSect_);
  return store_ ? store_->problem() : std::string();
}

}  // namespace zor::fw
