#pragma once
// The per-thread file objects of the two tables: for each of Sections and
// SetupINI a file manager, a relation manager and the two published
// references through which procedures reach the table. The relation between
// them: renaming or deleting a section clears the section of its settings.

#include <memory>

#include "framework/file_manager.h"
#include "framework/relation_manager.h"

namespace qv {

// A table's file manager: bound to its table lazily, on first use, where
// it also learns to create the table when it is missing and its keys.
class TableFileManager : public zor::fw::FileManager {
 public:
  void Init() override;
  uint8_t EnsureOpen(uint8_t useKind) override;

 protected:
  virtual const char* label() const = 0;
  virtual zor::data::FileControlBlock& table() const = 0;
  virtual void declareKeys() = 0;
  virtual zor::fw::FileManager*& accessReference() const = 0;
};

class SectionsFileManager : public TableFileManager {
 protected:
  const char* label() const override { return "Sections"; }
  zor::data::FileControlBlock& table() const override;
  void declareKeys() override;
  zor::fw::FileManager*& accessReference() const override;
};

class SetupINIFileManager : public TableFileManager {
 protected:
  const char* label() const override { return "SetupINI"; }
  zor::data::FileControlBlock& table() const override;
  void declareKeys() override;
  zor::fw::FileManager*& accessReference() const override;
};

// The table's relation manager: releasing it releases and disposes its
// file manager and clears the table's access reference.
class TableRelationManager : public zor::fw::RelationManager {
 public:
  TableRelationManager(std::unique_ptr<zor::fw::FileManager>& fileSlot,
                       zor::fw::FileManager*& accessReference)
      : fileSlot_(fileSlot), accessReference_(accessReference) {}
  void Release() override;

 private:
  std::unique_ptr<zor::fw::FileManager>& fileSlot_;
  zor::fw::FileManager*& accessReference_;
};

// Sections: a setting names its section; renaming or deleting the section
// clears that name in its settings.
class SectionsRelationManager : public TableRelationManager {
 public:
  using TableRelationManager::TableRelationManager;

 protected:
  void DeferedAddRelations() override;
};

// SetupINI: lists Sections as its related table, without rules.
class SetupINIRelationManager : public TableRelationManager {
 public:
  using TableRelationManager::TableRelationManager;

 protected:
  void DeferedAddRelations() override;
};

struct TableObjects {
  std::unique_ptr<zor::fw::FileManager> fileManager;
  std::unique_ptr<TableRelationManager> relationManager;
  zor::fw::FileManager* access = nullptr;      // the table's access reference
  zor::fw::RelationManager* relate = nullptr;  // the table's relate reference
};

struct ThreadDictionary {
  TableObjects setupIni;
  TableObjects sections;
};

// The calling thread's dictionary.
ThreadDictionary& threadDictionary();

// Creates the file objects of both tables for the calling thread.
void dictionarySetUp();
// Releases them, SetupINI first, then Sections.
void dictionaryTearDown();

}  // namespace qv
