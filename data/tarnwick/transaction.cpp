#include "data/tarnwick/transaction.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/transaction_control_file.h"

namespace zor::tarnwick {

namespace {

// Seeded from the clock so that numbers keep growing from one run to the next.
std::atomic<uint32_t> nextNumber{static_cast<uint32_t>(std::time(nullptr))};

// Which transaction has which file, across threads.
std::mutex ownersMutex;
std::map<const TransactionFile*, const Transaction*> owners;

}  // namespace

Transaction& Transaction::ofThisThread() {
  thread_local Transaction transaction;
  return transaction;
}

void Transaction::setNextNumber(uint32_t number) {
  nextNumber = number;
}

int Transaction::logout(TransactionFile& file) {
  {
    std::lock_guard<std::mutex> guard(ownersMutex);
    auto [owner, added] = owners.emplace(&file, this);
    if (!added && owner->second != this)
      return static_cast<int>(LogoutFault::LoggedOutOnAnotherThread);
  }
  active_ = true;
  if (std::find(files_.begin(), files_.end(), &file) == files_.end()) files_.push_back(&file);
  return 0;
}

void Transaction::forget(TransactionFile& file) {
  leave(file);
  files_.erase(std::remove(files_.begin(), files_.end(), &file), files_.end());
}

void Transaction::leave(TransactionFile& file) {
  std::lock_guard<std::mutex> guard(ownersMutex);
  auto owner = owners.find(&file);
  if (owner != owners.end() && owner->second == this) owners.erase(owner);
}

void Transaction::rollback() {
  for (TransactionFile* file : files_) file->dropChange();
  end();
}

void Transaction::end() {
  for (TransactionFile* file : files_) leave(*file);
  files_.clear();
  active_ = false;
}

int Transaction::chooseControlFiles(std::vector<Chosen>& chosen) const {
  auto choose = [&](const std::string& name, const std::string& path) {
    for (const Chosen& known : chosen)
      if (known.path == path) return;
    chosen.push_back({name, path, nullptr});
  };
  if (!explicitControlFile_.empty()) {
    const std::string name = explicitControlFileName(explicitControlFile_);
    choose(name, name);
    return 0;
  }
  for (TransactionFile* file : files_) {
    if (!file->hasChanges()) continue;
    choose(kDefaultControlFileName,
           resolveControlFileName(kDefaultControlFileName, folderOf(file->path())));
  }
  return 0;
}

// Every marker names the first control file, the one whose removal of the
// number is the moment of commit: files of its folder by the folder-relative
// name, files of other folders by its absolute path. The other control files
// only keep two transactions of their folders from sharing a number.
std::string Transaction::markerNameFor(const std::vector<Chosen>& chosen,
                                       TransactionFile& file) const {
  const Chosen& primary = chosen.front();
  if (resolveControlFileName(primary.name, folderOf(file.path())) == primary.path)
    return primary.name;
  return explicitControlFileName(primary.path);
}

// Enters one number in every control file. Each control file hands out
// numbers above any it ever held; when one of them answers a higher number
// than proposed, that number is proposed to all, and the lower ones are
// given back. The numbers only grow, so the round ends.
int Transaction::enterNumber(std::vector<Chosen>& chosen, uint32_t& number) {
  std::vector<std::optional<uint32_t>> entered(chosen.size());
  number = nextNumber.fetch_add(1);
  for (bool agreed = false; !agreed;) {
    agreed = true;
    for (size_t i = 0; i < chosen.size(); ++i) {
      if (entered[i] == number) continue;
      if (entered[i]) chosen[i].file->remove(*entered[i]);
      entered[i].reset();
      uint32_t got = 0;
      if (const int error = chosen[i].file->enter(number, got); error != 0) {
        for (size_t j = 0; j < chosen.size(); ++j)
          if (entered[j]) chosen[j].file->remove(*entered[j]);
        return error;
      }
      entered[i] = got;
      if (got != number) {
        number = got;
        agreed = false;
        break;
      }
    }
  }
  uint32_t expected = nextNumber.load();
  while (expected <= number && !nextNumber.compare_exchange_weak(expected, number + 1)) {
  }
  return 0;
}

int Transaction::commit(ControlFileOpener& opener) {
  std::vector<TransactionFile*> changed;
  for (TransactionFile* file : files_)
    if (file->hasChanges()) changed.push_back(file);

  if (changed.empty()) {
    end();
    return 0;
  }
  if (changed.size() == 1) {
    const int error = changed.front()->completeSingleChange();
    end();
    return error;
  }

  std::vector<Chosen> chosen;
  int error = chooseControlFiles(chosen);
  for (Chosen& control : chosen) {
    if (error != 0) break;
    error = opener.open(control.path, control.file);
  }
  uint32_t number = 0;
  if (error == 0) error = enterNumber(chosen, number);
  if (error != 0) {
    rollback();
    return error;
  }
  controlFiles_.clear();
  for (const Chosen& control : chosen) controlFiles_.push_back(control.path);

  for (TransactionFile* file : changed) {
    error = file->makeDurableWithMarker({number, markerNameFor(chosen, *file)});
    if (error != 0) {
      // The number stays entered for good: a file already durable must
      // settle as dropped should this process stop before dropping it. A
      // number left behind costs nothing; later numbers pass it.
      for (TransactionFile* done : changed) done->dropChange();
      end();
      return error;
    }
  }

  // The moment of commit: the number leaves the first control file. From
  // the others it is removed afterwards; one left there is harmless.
  error = chosen.front().file->remove(number);
  if (error != 0) {
    for (TransactionFile* file : changed) file->dropChange();
    end();
    return error;
  }
  for (size_t i = 1; i < chosen.size(); ++i) chosen[i].file->remove(number);
  for (Chosen& control : chosen) control.file.reset();

  for (TransactionFile* file : changed) {
    // A file that fails here keeps its durable change, which its next open
    // completes (the number is no longer in any control file). The
    // transaction has committed all the same, so COMMIT answers 0: an error
    // would tell the program that nothing was done, and it might do the
    // work a second time.
    file->completeChange();
  }
  end();
  return 0;
}

bool settledChangeStands(const std::optional<std::vector<uint8_t>>& markerData,
                         const std::string& dataFile, ControlFileOpener& opener) {
  if (!markerData) return true;
  const auto marker = decodeMarker(*markerData);
  if (!marker) return false;
  const std::string path = resolveControlFileName(marker->controlFile, folderOf(dataFile));
  std::unique_ptr<ControlFile> control;
  int error;
  while ((error = opener.open(path, control)) == kAccessDenied)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (error != 0) return false;
  // Only this transaction's own number counts: a number of another one,
  // higher or not, says nothing about whether this one committed.
  bool held = false;
  if (control->holds(marker->number, held) != 0) return false;
  return !held;
}

}  // namespace zor::tarnwick
