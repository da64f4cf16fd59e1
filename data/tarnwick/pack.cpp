#include "data/tarnwick/pack.h"

#include "data/file_errors.h"
#include "data/system_error.h"
#include "data/tarnwick/tarnwick_file.h"
#include "data/tarnwick/transaction_marker.h"
#include "data/tarnwick/transaction_settle.h"
#include "data/tarnwick/verify.h"
#include "platform/file.h"
#include "platform/whole_file.h"
#include "runtime/error_state.h"

namespace zor::tarnwick {

namespace {

OpenMode exclusiveMode() {
  OpenMode mode;
  mode.share = platform::Share::Exclusive;
  return mode;
}

// 63 when the file could be opened beside others but not alone.
int exclusiveRefusal(const std::string& path, int error) {
  if (error != data::kErrAccessDenied) return error;
  platform::File probe;
  const bool shared = probe.open(path, platform::Access::Read, platform::Share::DenyNone,
                                 platform::Disposition::OpenExisting) == 0;
  return shared ? data::kErrExclusiveAccessRequired : error;
}

// Damage is not copied: a file whose tree does not survey sound is refused
// with its first problem.
bool surveyedSound(PageStore& store) {
  const FileSurvey survey = surveyFile(store);
  if (survey.ok()) return true;
  setFileError("PACK", survey.problems.front());
  return false;
}

int copyItems(TarnwickFile& from, TarnwickFile& to, uint64_t& items) {
  // Identifiers are never given out twice, and other processes tell a
  // changed file by its change counter: both carry on from the old file.
  FileHeader& header = to.store().headerForChange();
  header.lastIdentifier = from.header().lastIdentifier;
  header.changeCounter = from.header().changeCounter;
  Cursor cursor = from.cursor();
  for (bool more = cursor.first(); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    // A transaction marker only matters to a change left pending, which
    // was settled when the file was opened.
    if (compareKeys(key, kTransactionMarkerKey) == 0) continue;
    if (const int error = to.insert(key, cursor.data()); error != 0) return error;
    if (++items % 1000 == 0) to.store().keepChangeSmall();
  }
  return to.commit();
}

}  // namespace

std::string packingPath(const std::string& path) {
  return path + ".packing";
}

int packFile(const std::string& path, PackResult* result) {
  TarnwickFile old;
  int error = old.open(path, exclusiveMode(), settleByControlFile(path));
  if (error != 0) return exclusiveRefusal(path, error);
  PackResult packed;
  if (const int sized = old.store().file().size(packed.bytesBefore); sized != 0) return sized;
  if (!surveyedSound(old.store())) return data::kErrInvalidDataFile;
  const std::string packing = packingPath(path);
  {
    TarnwickFile fresh;
    error = fresh.create(packing, platform::Share::Exclusive);
    if (error == 0) error = copyItems(old, fresh, packed.items);
    if (error == 0) error = fresh.store().file().size(packed.bytesAfter);
  }
  // Pages are filled anew as the tree's split rule fills them: a file that
  // was already dense can come out larger. Then it stays as it was.
  packed.replaced = error == 0 && packed.bytesAfter < packed.bytesBefore;
  // The old file stays open, and so closed to others, until the new one
  // has taken its place.
  if (packed.replaced) error = data::driverErrorOf(platform::replaceFile(packing, path));
  if (error != 0 || !packed.replaced) platform::removeFile(packing);
  old.close();
  if (!packed.replaced) packed.bytesAfter = packed.bytesBefore;
  if (error == 0 && result != nullptr) *result = packed;
  return error;
}

}  // namespace zor::tarnwick
