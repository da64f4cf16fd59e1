#pragma once
// Owns the relations of one table: which other tables are linked to it,
// through which of their keys and fields, and what happens to their records
// when a record of this table changes its linking fields or is deleted
// (referential integrity: none, cascade, restrict or clear). The walk over
// the related tables and the write of this table's record happen inside one
// driver transaction when UseLogout is set.
//
//   sections.LinkTable(settings, RIMode::Clear, RIMode::Clear, &sectionKey);
//   sections.LinkFields(sectionName, settingSection);
//   sections.Open();
//   ... change the record buffer ...
//   sections.Update();   // clears the settings' section, then writes
//
// Relations may be added lazily: DeferedAddRelations runs once, the first
// time they are needed.

#include <cstdint>
#include <vector>

#include "data/file_control_block.h"
#include "framework/field_ref.h"
#include "framework/file_manager.h"

namespace zor::fw {

// Referential-integrity modes of a relation.
namespace RIMode {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t Cascade = 1;
inline constexpr uint8_t Restrict = 2;
inline constexpr uint8_t Clear = 3;
}  // namespace RIMode

class RelationManager;

// A pair of linking fields: this table's field and the related table's.
struct LinkFieldPair {
  FieldRef Mine;
  FieldRef His;
};

struct Relation {
  RelationManager* File = nullptr;  // the related table's relation manager
  std::vector<LinkFieldPair> Fields;
  data::KeyBlock* HisKey = nullptr;  // finds the related records
  uint8_t UpdateMode = RIMode::None;
  uint8_t DeleteMode = RIMode::None;
  uint8_t Opened = 0;  // opens of the related table made by this relation
};

class RelationManager {
 public:
  RelationManager();
  virtual ~RelationManager();
  RelationManager(const RelationManager&) = delete;
  RelationManager& operator=(const RelationManager&) = delete;

  // Binds to the file manager of this table and registers the pair.
  virtual void Bind(FileManager* fileManager, int threaded);
  virtual void Release();

  void LinkTable(RelationManager& related, uint8_t updateMode = RIMode::None,
                 uint8_t deleteMode = RIMode::None, data::KeyBlock* hisKey = nullptr);
  // Adds a linking pair to the relation added last.
  void LinkFields(FieldRef mine, FieldRef his);
  // Runs the deferred relation set-up once.
  void SetUpRelations();

  // Opens this table and the tables related to it; Close undoes one Open.
  uint8_t Open();
  uint8_t Close();

  // Applies the update rules to the related records whose link to this
  // record changed since it was read, then writes this record (ask as for
  // FileManager::Update).
  uint8_t Update(uint8_t ask = 1);
  // Asks (ask 1), applies the delete rules, then deletes this record.
  uint8_t Delete(uint8_t ask = 1);
  // Gives back a record reserved by auto-increment for an insert that was
  // abandoned.
  uint8_t CancelAutoInc();

  void SendQuickScan(bool on);
  // Saves and restores the state of this table and its related tables.
  void SaveRelated();
  void RestoreRelated();

  // Fields, in declaration order.
  FileManager* Me = nullptr;
  std::vector<Relation> Relations;
  data::FileControlBlock* AliasFile = nullptr;
  uint8_t PrevUseLogout = 0;
  uint8_t UseLogout = 1;
  uint8_t LogoutTimeout = 5;
  int32_t LastTouched = 0;
  uint8_t ForcingOpen = 0;
  uint8_t DeferedRelationsDone = 0;

 protected:
  // The relations added the first time they are needed; the base only
  // marks them done.
  virtual void DeferedAddRelations();

 private:
  class Transaction;

  // The tables the integrity walk can reach from this one.
  void CollectTables(std::vector<RelationManager*>& managers, bool forUpdate);
  // Runs one integrity walk inside its transaction and commits it.
  uint8_t Framed(bool forUpdate, uint8_t ask,
                 uint8_t (RelationManager::*walk)(uint8_t, Transaction&));
  uint8_t UpdateWithin(uint8_t ask, Transaction& transaction);
  uint8_t DeleteWithin(uint8_t ask, Transaction& transaction);
  uint8_t ApplyUpdateRule(Relation& relation, const std::vector<uint8_t>& asRead,
                          Transaction& transaction);
  uint8_t ApplyDeleteRule(Relation& relation, Transaction& transaction);
  // Pointers of the related records whose linking fields hold `values`.
  bool FindRelated(Relation& relation, const std::vector<std::string>& values,
                   std::vector<uint32_t>& pointers);
  uint8_t RaiseOn(RelationManager& related, int id);

  std::vector<uint16_t> savedStates_;
};

}  // namespace zor::fw
