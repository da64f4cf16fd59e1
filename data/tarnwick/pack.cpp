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
  // Identifiers are never given out twice: the counter carries on from the
  // old file (the change counter did already, from create).
  to.store().headerForChange().lastIdentifier = from.header().lastIdentifier;
  Cursor cursor = from.cursor();
  for (bool more = cursor.first(); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    // A transaction marker only matters to a change left pending, which
    // was settled when the file was opened.
    if (compareKeys(key, kTransactionMarkerKey) == 0) continue;
    if (const int error = to.insert(key, cursor.data()); error != 0) return error;
    if (++items % 1000 == 0) to.store().keepChangeSmall();
  }
  // The packed file holds no pending region, nor the room kept for the
  // next one: its size is what its pages need.
  int error = to.commit();
  if (error == 0) error = to.checkpoint();
  if (error == 0) error = to.store().giveBackRoom();
  return error;
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
  uint64_t packedPages = 0;
  {
    TarnwickFile fresh;
    // Other processes tell a changed file by its change counter: the packed
    // file's carries on from the old one's.
    error = fresh.create(packing, platform::Share::Exclusive, old.header().changeCounter);
    if (error == 0) error = copyItems(old, fresh, packed.items);
    if (error == 0) error = fresh.store().file().size(packed.bytesAfter);
    packedPages = fresh.header().logicalEnd();
  }
  // Pages are filled anew as the tree's split rule fills them: a file that
  // was already dense can come out larger. Then it stays as it was. The
  // pages are compared, not the files: past its pages a file keeps room for
  // its pending region, which the packed file regains at its next change.
  packed.replaced = error == 0 && packedPages < old.header().logicalEnd();
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
