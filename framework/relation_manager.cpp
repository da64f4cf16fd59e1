#include "framework/relation_manager.h"

#include <algorithm>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "framework/file_mapping.h"
#include "platform/ascii_case.h"
#include "runtime/error_state.h"

namespace zor::fw {

namespace st = data::statement;

namespace {

// A linking value as the key compares it: without trailing blanks, and
// upper-cased for a key that ignores case.
std::string comparable(std::string text, bool noCase) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return noCase ? platform::asciiUpperCased(std::move(text)) : text;
}

}  // namespace

// The driver transaction around one integrity walk: LOGOUT over the tables
// the walk can reach when UseLogout is set, COMMIT when it ends well,
// ROLLBACK otherwise.
class RelationManager::Transaction {
 public:
  explicit Transaction(RelationManager& owner) : owner_(owner) {}
  ~Transaction() {
    if (active_) st::rollback(*first_);
  }

  // Answers 0, or the level of error 24 when the transaction could not start.
  uint8_t begin(bool forUpdate) {
    if (owner_.UseLogout == 0) return Level::Benign;
    std::vector<RelationManager*> managers;
    owner_.CollectTables(managers, forUpdate);
    std::vector<data::FileControlBlock*> files;
    for (RelationManager* manager : managers) {
      if (manager->Me == nullptr || manager->Me->File == nullptr) continue;
      data::FileControlBlock* file = manager->Me->File;
      if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    }
    if (files.empty()) return Level::Benign;
    if (st::logout(owner_.LogoutTimeout, files) != data::kNoError) {
      owner_.Me->RecordError(24);
      return owner_.Me->ShowError();
    }
    first_ = files.front();
    active_ = true;
    return Level::Benign;
  }

  // Answers whether the changes stand.
  bool commit() {
    if (!active_) return true;
    active_ = false;
    return st::commit(*first_) == data::kNoError;
  }

 private:
  RelationManager& owner_;
  data::FileControlBlock* first_ = nullptr;
  bool active_ = false;
};

RelationManager::RelationManager() = default;

RelationManager::~RelationManager() {
  unregisterRelationManager(this);
}

void RelationManager::Bind(FileManager* fileManager, int) {
  Me = fileManager;
  if (Me == nullptr) return;
  // The update rules compare the linking fields with their values as read.
  Me->SavePreviousBuffer = 1;
  if (Me->File != nullptr) registerRelationManager(*Me->File, this);
}

void RelationManager::Release() {
  // The related tables' own managers close what is still open of them; the
  // related managers may already be gone here.
  Relations.clear();
  savedStates_.clear();
  DeferedRelationsDone = 0;
  unregisterRelationManager(this);
  Me = nullptr;
}

void RelationManager::LinkTable(RelationManager& related, uint8_t updateMode, uint8_t deleteMode,
                                data::KeyBlock* hisKey) {
  Relation relation;
  relation.File = &related;
  relation.UpdateMode = updateMode;
  relation.DeleteMode = deleteMode;
  relation.HisKey = hisKey;
  Relations.push_back(std::move(relation));
}

void RelationManager::LinkFields(FieldRef mine, FieldRef his) {
  if (Relations.empty()) return;
  Relations.back().Fields.push_back(LinkFieldPair{mine, his});
}

void RelationManager::DeferedAddRelations() {
  DeferedRelationsDone = 1;
}

void RelationManager::SetUpRelations() {
  if (DeferedRelationsDone != 0) return;
  DeferedAddRelations();
  DeferedRelationsDone = 1;
}

uint8_t RelationManager::Open() {
  if (Me == nullptr) return Level::Fatal;
  SetUpRelations();
  const uint8_t level = Me->Open(1);
  if (level != Level::Benign) return level;
  for (Relation& relation : Relations) {
    FileManager* his = relation.File != nullptr ? relation.File->Me : nullptr;
    if (his == nullptr) continue;
    const uint8_t related = his->Open(1);
    if (related != Level::Benign) return related;
    ++relation.Opened;
  }
  return Level::Benign;
}

uint8_t RelationManager::Close() {
  if (Me == nullptr) return Level::Benign;
  for (Relation& relation : Relations) {
    if (relation.Opened == 0 || relation.File == nullptr || relation.File->Me == nullptr) continue;
    relation.File->Me->Close();
    --relation.Opened;
  }
  return Me->Close();
}

void RelationManager::CollectTables(std::vector<RelationManager*>& managers, bool forUpdate) {
  if (std::find(managers.begin(), managers.end(), this) != managers.end()) return;
  managers.push_back(this);
  SetUpRelations();
  for (Relation& relation : Relations) {
    const uint8_t mode = forUpdate ? relation.UpdateMode : relation.DeleteMode;
    if (mode == RIMode::None || relation.File == nullptr) continue;
    // Restrict only reads; cascade goes on down the related table's rules.
    if (mode == RIMode::Cascade) {
      relation.File->CollectTables(managers, forUpdate);
    } else if (std::find(managers.begin(), managers.end(), relation.File) == managers.end()) {
      managers.push_back(relation.File);
    }
  }
}

uint8_t RelationManager::RaiseOn(RelationManager& related, int id) {
  Me->RecordError(id);
  if (Me->Errors == nullptr) return Level::Notify;
  // The message names the related table.
  Me->Errors->SetFile(related.Me != nullptr ? related.Me->Name() : "");
  return Me->ShowError();
}

bool RelationManager::FindRelated(Relation& relation, const std::vector<std::string>& values,
                                  std::vector<uint32_t>& pointers) {
  pointers.clear();
  FileManager* his = relation.File->Me;
  if (his == nullptr || his->File == nullptr || relation.HisKey == nullptr) return false;
  if (his->EnsureOpen(UseKind::Read) != Level::Benign) return false;
  const bool noCase = relation.HisKey->ignoresCase();
  std::vector<std::string> wanted;
  for (const std::string& value : values) wanted.push_back(comparable(value, noCase));

  const uint16_t saved = his->PushBuffer();
  std::fill(his->Buffer->begin(), his->Buffer->end(), 0);
  for (size_t i = 0; i < relation.Fields.size(); ++i) relation.Fields[i].His.assign(values[i]);
  int code = st::setToKeyValue(*his->File, *relation.HisKey);
  while (code == data::kNoError) {
    code = st::next(*his->File);
    if (code != data::kNoError) break;
    bool linked = true;
    for (size_t i = 0; i < relation.Fields.size() && linked; ++i) {
      linked = comparable(relation.Fields[i].His.text(), noCase) == wanted[i];
    }
    if (!linked) break;
    uint32_t pointer = 0;
    st::pointer(*his->File, pointer);
    pointers.push_back(pointer);
  }
  his->PopBuffer(saved);
  if (code != data::kNoError && code != data::kErrRecordNotAvailable) {
    setErrorCode(code);
    return false;
  }
  return true;
}

uint8_t RelationManager::ApplyUpdateRule(Relation& relation, const std::vector<uint8_t>& asRead,
                                         Transaction& transaction) {
  // The linking values as read and as they are now.
  std::vector<std::string> oldValues;
  std::vector<std::string> newValues;
  bool changed = false;
  std::vector<uint8_t> current = *Me->Buffer;
  for (const LinkFieldPair& pair : relation.Fields) {
    newValues.push_back(pair.Mine.text());
  }
  if (asRead.size() == current.size()) {
    *Me->Buffer = asRead;
    for (const LinkFieldPair& pair : relation.Fields) oldValues.push_back(pair.Mine.text());
    *Me->Buffer = current;
  } else {
    oldValues = newValues;
  }
  // Compared as the related key compares them: a change of case alone
  // leaves a case-insensitive link where it was.
  const bool noCase = relation.HisKey != nullptr && relation.HisKey->ignoresCase();
  for (size_t i = 0; i < oldValues.size(); ++i) {
    if (comparable(oldValues[i], noCase) != comparable(newValues[i], noCase)) changed = true;
  }
  if (!changed) return Level::Benign;

  std::vector<uint32_t> related;
  if (!FindRelated(relation, oldValues, related)) {
    Me->RecordError(28);
    return Me->ShowError();
  }
  if (related.empty()) return Level::Benign;
  RelationManager& his = *relation.File;
  if (relation.UpdateMode == RIMode::Restrict) {
    for (size_t i = 0; i < relation.Fields.size(); ++i)
      relation.Fields[i].Mine.assign(oldValues[i]);
    return RaiseOn(his, 34);
  }
  for (uint32_t pointer : related) {
    if (his.Me->FetchByPointer(pointer, 0) != Level::Benign) return his.Me->ShowError();
    for (size_t i = 0; i < relation.Fields.size(); ++i) {
      if (relation.UpdateMode == RIMode::Cascade) {
        relation.Fields[i].His.assign(newValues[i]);
      } else {
        relation.Fields[i].His.clear();
      }
    }
    const uint8_t level = relation.UpdateMode == RIMode::Cascade ? his.UpdateWithin(0, transaction)
                                                                 : his.Me->Update(0);
    if (level != Level::Benign) {
      his.Me->RecordError(28);
      return his.Me->ShowError();
    }
  }
  return Level::Benign;
}

uint8_t RelationManager::UpdateWithin(uint8_t ask, Transaction& transaction) {
  SetUpRelations();
  const std::vector<uint8_t> asRead = Me->PreviousBuffer;
  for (Relation& relation : Relations) {
    if (relation.UpdateMode == RIMode::None || relation.File == nullptr) continue;
    const uint8_t level = ApplyUpdateRule(relation, asRead, transaction);
    if (level != Level::Benign) return level;
  }
  return Me->Update(ask);
}

uint8_t RelationManager::Framed(bool forUpdate, uint8_t ask,
                                uint8_t (RelationManager::*walk)(uint8_t, Transaction&)) {
  Transaction transaction(*this);
  uint8_t level = transaction.begin(forUpdate);
  if (level != Level::Benign) return level;
  level = (this->*walk)(ask, transaction);
  if (level != Level::Benign) return level;
  if (!transaction.commit()) {
    Me->RecordError(forUpdate ? 28 : 13);
    return ask != 0 ? Me->ShowError() : Level::Notify;
  }
  return Level::Benign;
}

uint8_t RelationManager::Update(uint8_t ask) {
  if (Me == nullptr) return Level::Fatal;
  if (Me->EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  return Framed(true, ask, &RelationManager::UpdateWithin);
}

uint8_t RelationManager::ApplyDeleteRule(Relation& relation, Transaction& transaction) {
  std::vector<std::string> values;
  for (const LinkFieldPair& pair : relation.Fields) values.push_back(pair.Mine.text());
  std::vector<uint32_t> related;
  if (!FindRelated(relation, values, related)) {
    Me->RecordError(13);
    return Me->ShowError();
  }
  if (related.empty()) return Level::Benign;
  RelationManager& his = *relation.File;
  if (relation.DeleteMode == RIMode::Restrict) return RaiseOn(his, 33);
  for (uint32_t pointer : related) {
    if (his.Me->FetchByPointer(pointer, 0) != Level::Benign) return his.Me->ShowError();
    uint8_t level = Level::Benign;
    if (relation.DeleteMode == RIMode::Cascade) {
      level = his.DeleteWithin(0, transaction);
    } else {
      for (const LinkFieldPair& pair : relation.Fields) pair.His.clear();
      level = his.Me->Update(0);
      if (level != Level::Benign) his.Me->RecordError(28);
    }
    if (level != Level::Benign) return his.Me->ShowError();
  }
  return Level::Benign;
}

uint8_t RelationManager::DeleteWithin(uint8_t ask, Transaction& transaction) {
  SetUpRelations();
  for (;;) {
    for (Relation& relation : Relations) {
      if (relation.DeleteMode == RIMode::None || relation.File == nullptr) continue;
      const uint8_t level = ApplyDeleteRule(relation, transaction);
      if (level != Level::Benign) return level;
    }
    if (Me->Delete(0) == Level::Benign) return Level::Benign;
    if (ask == 0) return Level::Notify;
    Me->RecordError(36);
    if (Me->ShowError() != Level::Benign) return Level::Cancel;
  }
}

uint8_t RelationManager::Delete(uint8_t ask) {
  if (Me == nullptr) return Level::Fatal;
  if (Me->EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  if (ask == 1) {
    Me->RecordError(11);
    if (Me->ShowError() != Level::Benign) return Level::Cancel;
  }
  return Framed(false, ask, &RelationManager::DeleteWithin);
}

uint8_t RelationManager::CancelAutoInc() {
  return Me != nullptr ? Me->CancelAutoInc() : Level::Benign;
}

void RelationManager::SendQuickScan(bool on) {
  const std::string text = std::string("QUICKSCAN=") + (on ? "on" : "off");
  std::string answer;
  if (Me != nullptr && Me->File != nullptr) st::send(*Me->File, text, answer);
  SetUpRelations();
  for (Relation& relation : Relations) {
    if (relation.File != nullptr && relation.File->Me != nullptr && relation.File->Me->File) {
      st::send(*relation.File->Me->File, text, answer);
    }
  }
}

void RelationManager::SaveRelated() {
  savedStates_.clear();
  if (Me == nullptr) return;
  savedStates_.push_back(Me->SaveState());
  for (Relation& relation : Relations) {
    if (relation.File != nullptr && relation.File->Me != nullptr) {
      savedStates_.push_back(relation.File->Me->SaveState());
    }
  }
}

void RelationManager::RestoreRelated() {
  if (Me == nullptr || savedStates_.empty()) return;
  size_t next = savedStates_.size();
  for (auto relation = Relations.rbegin(); relation != Relations.rend(); ++relation) {
    if (relation->File != nullptr && relation->File->Me != nullptr && next > 1) {
      relation->File->Me->RestoreState(savedStates_[--next]);
    }
  }
  Me->RestoreState(savedStates_.front());
  savedStates_.clear();
}

}  // namespace zor::fw
