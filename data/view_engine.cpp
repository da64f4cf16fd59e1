#include "data/view_engine.h"

#include <algorithm>
#include <cstring>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/key_order.h"
#include "runtime/error_state.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace st = statement;

namespace {

// The error state a statement leaves: a driver's answer is already there
// (with its file-system details); the view's own answers replace it.
int finish(int error) {
  if (error == kNoError) {
    clearError();
  } else if (errorCode() != error) {
    clearError();
    setErrorCode(error);
  }
  return error;
}

// Position texts: a tag, then the record pointer (4 bytes, low byte first);
// a position on a key adds the key's number and the driver's position.
constexpr char kRecordTag = 'R';
constexpr char kKeyTag = 'K';
constexpr size_t kPointerEnd = 5;

void appendPointer(std::string& text, uint32_t pointer) {
  for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>((pointer >> (8 * i)) & 0xFF));
}

bool pointerOf(const std::string& position, uint32_t& pointer) {
  if (position.size() < kPointerEnd || (position[0] != kRecordTag && position[0] != kKeyTag))
    return false;
  if (position[0] == kKeyTag && position.size() < kPointerEnd + 1) return false;
  pointer = 0;
  for (int i = 3; i >= 0; --i)
    pointer = (pointer << 8) | static_cast<uint8_t>(position[1 + static_cast<size_t>(i)]);
  return true;
}

}  // namespace

View::View(FileControlBlock& primary) : primary_(primary) {}

View::~View() = default;

std::vector<const FileControlBlock*> View::tables() const {
  std::vector<const FileControlBlock*> all{&primary_};
  for (const auto& join : joins_) all.push_back(&join->table());
  return all;
}

int View::join(FileControlBlock& table, KeyBlock& key,
               const std::vector<std::string>& linkingFields, JoinKind kind) {
  if (open_) return finish(kErrFileAlreadyOpen);
  std::vector<FileControlBlock*> sources{&primary_};
  for (const auto& earlier : joins_) sources.push_back(&earlier->table());
  std::unique_ptr<ViewJoin> joined;
  if (const int error = ViewJoin::make(table, key, sources, linkingFields, kind, joined);
      error != kNoError)
    return finish(error);
  joins_.push_back(std::move(joined));
  planned_ = false;
  return finish(kNoError);
}

int View::open() {
  if (open_) return finish(kErrFileAlreadyOpen);
  std::vector<FileControlBlock*> all{&primary_};
  for (const auto& joined : joins_) all.push_back(&joined->table());
  for (FileControlBlock* table : all) {
    int64_t count = 0;
    // Answers 37 for a table that is not open, without reading a record.
    if (const int error = st::records(*table, count); error != kNoError) return finish(error);
  }
  open_ = true;
  planned_ = false;
  standAt(Seek::kStart);
  return finish(kNoError);
}

int View::close() {
  if (!open_) return finish(kErrFileNotOpen);
  open_ = false;
  sorted_ = false;
  rows_.clear();
  current_ = false;
  return finish(kNoError);
}

int View::setOrder(std::string_view text) {
  std::vector<OrderComponent> order;
  const std::vector<const FileControlBlock*> all = tables();
  if (!parseOrder(text, all, order)) return finish(kErrInvalidIndexString);
  orderText_ = std::string(text);
  order_ = std::move(order);
  planned_ = false;
  standAt(Seek::kStart);
  return finish(kNoError);
}

int View::setFilter(std::string_view text) {
  filter_ = Expression();
  filtered_ = false;
  filterText_.clear();
  filterError_ = ExprError{};
  planned_ = false;
  standAt(Seek::kStart);
  if (text.find_first_not_of(' ') == std::string_view::npos) return finish(kNoError);
  bindings_ = Bindings::showingThrough(threadBindings());
  bindings_.bindRecord(primary_.fields, primary_.record.data());
  for (const auto& join : joins_)
    bindings_.bindRecord(join->table().fields, join->table().record.data());
  if (!filter_.compile(text, bindings_)) {
    filterError_ = filter_.error();
    filter_ = Expression();
    return finish(filterError_.code);
  }
  filterText_ = std::string(text);
  filtered_ = true;
  return finish(kNoError);
}

void View::plan() {
  if (planned_) return;
  planned_ = true;
  sorted_ = false;
  key_ = nullptr;
  backward_ = false;
  range_ = KeyRange{};
  const std::vector<FieldTerm> terms = filtered_ ? filter_.fieldTerms() : std::vector<FieldTerm>{};
  // A key that gives the order: the one whose range the filter bounds
  // most, then one without OPT, then the first declared.
  auto better = [](const KeyRange& range, const KeyBlock& key, const KeyRange& best,
                   const KeyBlock* bestKey) {
    if (bestKey == nullptr || range.components != best.components)
      return bestKey == nullptr || range.components > best.components;
    return (bestKey->attributes & kKeyOpt) != 0 && (key.attributes & kKeyOpt) == 0;
  };
  if (!order_.empty()) {
    for (KeyBlock& key : primary_.keys) {
      const KeyService service = keyServes(primary_, key, order_);
      if (service == KeyService::kNone) continue;
      KeyRange range = findKeyRange(primary_, key, terms);
      if (better(range, key, range_, key_)) {
        key_ = &key;
        backward_ = service == KeyService::kBackward;
        range_ = std::move(range);
      }
    }
    if (key_ != nullptr) {
      mode_ = Mode::kKey;
      return;
    }
  }
  // Sorted in memory, reading through the key that bounds the filter
  // best. An OPT key serves only when its range leaves out the records it
  // has no entry for (all key fields zero or blank: their encodings lie
  // between those of all zeros and all blanks).
  std::vector<uint8_t> zeros(primary_.record.size(), 0), blanks = zeros;
  for (const FieldDescriptor& field : primary_.fields) {
    if (isStringType(field.type) && field.offset + field.size <= blanks.size())
      std::memset(blanks.data() + field.offset, ' ', field.size);
  }
  for (KeyBlock& key : primary_.keys) {
    KeyRange range = findKeyRange(primary_, key, terms);
    if (!range.bounded()) continue;
    if ((key.attributes & kKeyOpt) != 0) {
      const int zeroPlace = range.place(primary_.fields, key, zeros.data(), scratch_);
      if (zeroPlace == 0 || zeroPlace != range.place(primary_.fields, key, blanks.data(), scratch_))
        continue;
    }
    if (better(range, key, range_, key_)) {
      key_ = &key;
      range_ = std::move(range);
    }
  }
  mode_ = order_.empty() && key_ == nullptr ? Mode::kRecordOrder : Mode::kSorted;
  std::vector<SortField> fields;
  const std::vector<const FileControlBlock*> all = tables();
  for (const OrderComponent& component : order_) {
    const FieldDescriptor& field = all[component.table]->fields[component.field - 1u];
    fields.push_back(SortField{field, component.descending, component.upper});
  }
  rows_.setFields(std::move(fields));
}

void View::standAt(Seek seek) {
  seek_ = seek;
  seekExact_ = false;
  current_ = false;
  if (seek == Seek::kStart || seek == Seek::kEnd) {
    nextRow_ = prevRow_ = seek == Seek::kStart ? 0 : rows_.size();
  }
}

const KeyBlock* View::readingKey() {
  plan();
  return key_;
}

bool View::sortsInMemory() {
  plan();
  return mode_ == Mode::kSorted;
}

size_t View::boundComponents() {
  plan();
  return range_.components;
}

int View::set() {
  if (!open_) return finish(kErrFileNotOpen);
  sorted_ = false;
  standAt(Seek::kStart);
  return finish(kNoError);
}

int View::setEnd() {
  if (!open_) return finish(kErrFileNotOpen);
  sorted_ = false;
  standAt(Seek::kEnd);
  return finish(kNoError);
}

std::vector<const uint8_t*> View::orderSources() const {
  std::vector<const uint8_t*> sources;
  const std::vector<const FileControlBlock*> all = tables();
  for (const OrderComponent& component : order_)
    sources.push_back(all[component.table]->record.data());
  return sources;
}

int View::setFromBuffer(size_t components) {
  if (!open_) return finish(kErrFileNotOpen);
  plan();
  sorted_ = false;
  standAt(Seek::kValues);
  seekComponents_ = components == 0 ? order_.size() : std::min(components, order_.size());
  seekValues_.clear();
  if (mode_ == Mode::kKey) {
    seekValues_ = primary_.record;
  } else if (!order_.empty()) {
    rows_.appendValues(orderSources(), seekValues_);
  } else if (st::pointer(primary_, seekPointer_) != kNoError) {
    standAt(Seek::kStart);  // no current record
  } else if (mode_ == Mode::kSorted) {
    standAt(Seek::kPosition);
  } else {
    seekExact_ = true;
  }
  return finish(kNoError);
}

int View::next() {
  return finish(read(true));
}

int View::previous() {
  return finish(read(false));
}

int View::read(bool forward) {
  if (!open_) return kErrFileNotOpen;
  plan();
  current_ = false;
  if (mode_ == Mode::kSorted) return readSorted(forward);
  if (seek_ != Seek::kNone) {
    if (const int error = seek(forward); error != kNoError) return error;
  }
  const bool physicalForward = forward != backward_;
  bool reseeked = false;
  for (;;) {
    const int error = physicalForward ? st::next(primary_) : st::previous(primary_);
    if (error == kErrRecordNotFound) continue;  // an entry whose record just went
    if (error == kErrRecordNotAvailable) {
      standAt(forward ? Seek::kEnd : Seek::kStart);
      return error;
    }
    if (error != kNoError) return error;
    if (range_.bounded()) {
      const int place = range_.place(primary_.fields, *key_, primary_.record.data(), scratch_);
      if (place == (physicalForward ? 1 : -1)) {
        standAt(forward ? Seek::kEnd : Seek::kStart);
        return kErrRecordNotAvailable;
      }
      if (place != 0) {
        // Read from a position outside the range: go to its near end once.
        if (!reseeked) {
          reseeked = true;
          if (const int seekError = seekEdge(physicalForward); seekError != kNoError)
            return seekError;
        }
        continue;
      }
    }
    bool accepted = false;
    if (const int admitError = admit(accepted); admitError != kNoError) return admitError;
    if (accepted) {
      current_ = true;
      return kNoError;
    }
  }
}

// Carries out where the view stands, for reading in `forward` direction.
int View::seek(bool forward) {
  const bool physicalForward = forward != backward_;
  int error = kNoError;
  switch (seek_) {
    case Seek::kNone:
      return kNoError;
    case Seek::kStart:
    case Seek::kEnd:
      if (forward != (seek_ == Seek::kStart)) return kErrRecordNotAvailable;
      error = seekEdge(physicalForward);
      break;
    case Seek::kValues:
      if (mode_ == Mode::kRecordOrder) {
        error = st::setToPointer(primary_, seekPointer_);
      } else if (seekExact_) {
        error = setKeyAt(seekValues_, &seekPointer_);
      } else {
        // The values of the first components; the rest of the key at the
        // extreme from which the direction of reading takes them all in.
        std::vector<uint8_t> image = seekValues_;
        fillKeyComponents(primary_.fields, *key_, seekComponents_, !physicalForward, image.data());
        error = setKeyAt(image, nullptr);
      }
      break;
    case Seek::kPosition:
      error = mode_ == Mode::kKey ? st::reset(primary_, *key_, seekPosition_)
                                  : st::setToPointer(primary_, seekPointer_);
      break;
  }
  if (error == kNoError) seek_ = Seek::kNone;
  return error;
}

// Before the first record of the range (reading forward) or after its last.
int View::seekEdge(bool physicalForward) {
  if (mode_ == Mode::kRecordOrder || key_ == nullptr) return st::set(primary_);
  if (!range_.bounded()) return st::set(primary_, *key_);
  if (range_.empty()) return kErrRecordNotAvailable;
  return setKeyAt(physicalForward ? range_.lowSeek : range_.highSeek, nullptr);
}

// SET the key at the key values of a record image, leaving the record
// buffer as it was.
int View::setKeyAt(const std::vector<uint8_t>& image, const uint32_t* pointer) {
  saved_ = primary_.record;
  std::copy(image.begin(), image.begin() + static_cast<long>(primary_.record.size()),
            primary_.record.begin());
  const int error = pointer != nullptr ? st::setToKeyValue(primary_, *key_, *pointer)
                                       : st::setToKeyValue(primary_, *key_);
  std::copy(saved_.begin(), saved_.end(), primary_.record.begin());
  return error;
}

int View::readSorted(bool forward) {
  if (seek_ != Seek::kNone) {
    if (const int error = placeSorted(forward); error != kNoError) return error;
  }
  for (;;) {
    if (forward ? nextRow_ >= rows_.size() : prevRow_ == 0) {
      standAt(forward ? Seek::kEnd : Seek::kStart);
      seek_ = Seek::kNone;
      return kErrRecordNotAvailable;
    }
    const size_t row = forward ? nextRow_ : prevRow_ - 1;
    nextRow_ = row + 1;
    prevRow_ = row;
    const uint32_t pointer = rows_.pointer(row);
    const int error = st::get(primary_, pointer);
    if (error == kErrRecordNotFound) continue;  // deleted since it was sorted
    if (error != kNoError) return error;
    bool accepted = false;
    if (const int admitError = admit(accepted); admitError != kNoError) return admitError;
    if (accepted) {  // the record may have changed since it was sorted
      current_ = true;
      currentPointer_ = pointer;
      return kNoError;
    }
  }
}

int View::placeSorted(bool forward) {
  const bool outside = (seek_ == Seek::kStart && !forward) || (seek_ == Seek::kEnd && forward);
  if (outside) return kErrRecordNotAvailable;
  if (!sorted_) {
    if (const int error = sortRows(); error != kNoError) return error;
  }
  switch (seek_) {
    case Seek::kNone:
      break;
    case Seek::kStart:
    case Seek::kEnd:
      nextRow_ = prevRow_ = seek_ == Seek::kStart ? 0 : rows_.size();
      break;
    case Seek::kValues:
      nextRow_ = rows_.lowerBound(seekValues_, seekComponents_);
      prevRow_ = rows_.upperBound(seekValues_, seekComponents_);
      break;
    case Seek::kPosition: {
      const size_t row = rows_.find(seekPointer_);
      if (row < rows_.size()) {
        nextRow_ = row;
        prevRow_ = row + 1;
        break;
      }
      // A record sorted since: stand where its values place it.
      saved_ = primary_.record;
      const int error = st::get(primary_, seekPointer_);
      bool accepted = false;
      if (error == kNoError) {
        if (const int admitError = admit(accepted, false); admitError != kNoError)
          return admitError;
        std::vector<uint8_t> values;
        rows_.appendValues(orderSources(), values);
        nextRow_ = prevRow_ = rows_.lowerBound(values, order_.size(), seekPointer_);
      }
      std::copy(saved_.begin(), saved_.end(), primary_.record.begin());
      if (error != kNoError) return error;
      break;
    }
  }
  seek_ = Seek::kNone;
  return kNoError;
}

// Reads every record the filter lets through and sorts the pointers.
int View::sortRows() {
  rows_.clear();
  sorted_ = true;
  int error = key_ == nullptr  ? st::set(primary_)
              : range_.empty() ? kErrRecordNotAvailable
                               : setKeyAt(range_.lowSeek, nullptr);
  std::vector<uint8_t> values;
  const std::vector<const uint8_t*> sources = orderSources();
  while (error == kNoError) {
    error = st::next(primary_);
    if (error == kErrRecordNotFound) {
      error = kNoError;
      continue;
    }
    if (error != kNoError) break;
    if (key_ != nullptr &&
        range_.place(primary_.fields, *key_, primary_.record.data(), scratch_) > 0)
      error = kErrRecordNotAvailable;  // past the range: as good as the end
    if (error != kNoError) break;
    bool accepted = false;
    uint32_t pointer = 0;
    error = admit(accepted);
    if (error == kNoError && accepted) error = st::pointer(primary_, pointer);
    if (error != kNoError || !accepted) continue;
    values.clear();
    rows_.appendValues(sources, values);
    rows_.add(pointer, values);
  }
  if (error != kErrRecordNotAvailable) {
    sorted_ = false;
    rows_.clear();
    return error;
  }
  rows_.sort();
  return kNoError;
}

// Reads the joined tables for the primary record in the buffer and tests
// the filter.
int View::admit(bool& accepted, bool filter) {
  accepted = false;
  for (const auto& joined : joins_) {
    bool matched = false;
    if (const int error = joined->read(matched); error != kNoError) return error;
    if (!matched && joined->kind() == JoinKind::kInner) return kNoError;
  }
  accepted = !filter || !filtered_ || filter_.test();
  // A filter that cannot be evaluated (a thread's name it reads was
  // unbound since) passes nothing; the reader learns why.
  if (!accepted && filter_.error().failed()) return filter_.error().code;
  return kNoError;
}

int View::position(std::string& position) {
  position.clear();
  if (!open_) return finish(kErrFileNotOpen);
  if (!current_) return finish(kErrRecordNotAvailable);
  uint32_t pointer = currentPointer_;
  if (mode_ != Mode::kSorted) {
    if (const int error = st::pointer(primary_, pointer); error != kNoError) return finish(error);
  }
  if (mode_ != Mode::kKey) {
    position.push_back(kRecordTag);
    appendPointer(position, pointer);
    return finish(kNoError);
  }
  std::string driverPosition;
  if (const int error = st::position(primary_, *key_, driverPosition); error != kNoError)
    return finish(error);
  position.push_back(kKeyTag);
  appendPointer(position, pointer);
  position.push_back(static_cast<char>(key_->number));
  position += driverPosition;
  return finish(kNoError);
}

std::string View::positionOfRecord(uint32_t pointer) {
  std::string position(1, kRecordTag);
  appendPointer(position, pointer);
  return position;
}

int View::reset(const std::string& position) {
  if (!open_) return finish(kErrFileNotOpen);
  uint32_t pointer = 0;
  if (!pointerOf(position, pointer)) return finish(kErrRecordNotFound);
  plan();
  standAt(Seek::kPosition);
  seekPointer_ = pointer;
  if (mode_ != Mode::kKey) return finish(kNoError);
  const bool sameKey =
      position[0] == kKeyTag && static_cast<uint8_t>(position[kPointerEnd]) == key_->number;
  if (sameKey) {
    seekPosition_ = position.substr(kPointerEnd + 1);
    return finish(kNoError);
  }
  // Taken in another order: stand at the record's own key values.
  saved_ = primary_.record;
  const int error = st::get(primary_, pointer);
  if (error == kNoError) {
    standAt(Seek::kValues);
    seekValues_ = primary_.record;
    seekExact_ = true;
    seekPointer_ = pointer;
  }
  std::copy(saved_.begin(), saved_.end(), primary_.record.begin());
  return finish(error);
}

int View::reget(const std::string& position) {
  if (!open_) return finish(kErrFileNotOpen);
  uint32_t pointer = 0;
  if (!pointerOf(position, pointer)) return finish(kErrRecordNotFound);
  current_ = false;
  if (const int error = st::get(primary_, pointer); error != kNoError) return finish(error);
  bool accepted = false;
  if (const int error = admit(accepted, false); error != kNoError) return finish(error);
  current_ = true;
  currentPointer_ = pointer;
  return finish(kNoError);
}

int View::records(int64_t& count) {
  count = 0;
  if (!open_) return finish(kErrFileNotOpen);
  plan();
  if (mode_ == Mode::kSorted && sorted_) {
    count = static_cast<int64_t>(rows_.size());
    return finish(kNoError);
  }
  const bool inner = std::any_of(joins_.begin(), joins_.end(), [](const auto& joined) {
    return joined->kind() == JoinKind::kInner;
  });
  if (filtered_ || inner || mode_ == Mode::kSorted) return finish(kErrUnsupportedFunction);
  return finish(mode_ == Mode::kKey ? st::records(primary_, *key_, count)
                                    : st::records(primary_, count));
}

}  // namespace zor::data
