#pragma once
// The registry that maps each table to its file manager and its relation
// manager, so that code holding only a FILE can find its managers. Tables
// are told apart by their control block (each thread has its own block of
// a threaded table).

#include "data/file_control_block.h"

namespace zor::fw {

class FileManager;
class RelationManager;

void registerFileManager(const data::FileControlBlock& file, FileManager* manager);
void registerRelationManager(const data::FileControlBlock& file, RelationManager* manager);
// Forgets every entry of a manager that goes away.
void unregisterFileManager(const FileManager* manager);
void unregisterRelationManager(const RelationManager* manager);

// The managers of a table, or null.
FileManager* fileManagerOf(const data::FileControlBlock& file);
RelationManager* relationManagerOf(const data::FileControlBlock& file);

}  // namespace zor::fw
