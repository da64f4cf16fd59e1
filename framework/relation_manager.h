#pragma once
// Owns the relations of one table: referential integrity over the tables
// linked to it. Start-up shell: binding to the table's file manager and
// release; relations come with the file and relation managers themselves.

#include "framework/file_manager.h"

namespace zor::fw {

class RelationManager {
 public:
  virtual ~RelationManager() = default;
  // Binds the relation manager to the file manager of its primary table.
  virtual void Bind(FileManager* fileManager, int threaded);
  virtual void Release();

  FileManager* Me = nullptr;
  bool Threaded = false;
};

}  // namespace zor::fw
