#pragma once
// The per-thread file objects of the two tables: for each of Sections and
// SetupINI a file manager, a relation manager and the two published
// references through which procedures reach the table.

#include <memory>

#include "framework/file_manager.h"
#include "framework/relation_manager.h"

namespace qv {

class SectionsFileManager : public zor::fw::FileManager {
 public:
  void Init() override;
};

class SetupINIFileManager : public zor::fw::FileManager {
 public:
  void Init() override;
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
