#include "app/dictionary.h"

#include "app/program_globals.h"

namespace qv {

namespace {

void initFileManager(zor::fw::FileManager& manager, const char* label,
                     zor::fw::FileManager*& accessReference) {
  manager.Initialized = false;
  manager.FileNameValue = label;
  manager.Errors = programGlobals().errorReporter;
  manager.zor::fw::FileManager::Init();
  accessReference = &manager;
}

void setUpTable(TableObjects& table, std::unique_ptr<zor::fw::FileManager> fileManager) {
  table.fileManager = std::move(fileManager);
  table.relationManager = std::make_unique<TableRelationManager>(table.fileManager, table.access);
}

void initTable(TableObjects& table) {
  table.fileManager->Init();
  table.relationManager->Bind(table.fileManager.get(), 1);
}

void tearDownTable(TableObjects& table) {
  if (!table.relationManager) return;
  table.relationManager->Release();
  table.relationManager.reset();
  table.relate = nullptr;
}

}  // namespace

void SectionsFileManager::Init() {
  initFileManager(*this, "Sections", threadDictionary().sections.access);
}

void SetupINIFileManager::Init() {
  initFileManager(*this, "SetupINI", threadDictionary().setupIni.access);
}

void TableRelationManager::Release() {
  if (fileSlot_) fileSlot_->Kill();
  zor::fw::RelationManager::Release();
  accessReference_ = nullptr;
  fileSlot_.reset();
}

ThreadDictionary& threadDictionary() {
  thread_local ThreadDictionary dictionary;
  return dictionary;
}

void dictionarySetUp() {
  ThreadDictionary& dictionary = threadDictionary();
  setUpTable(dictionary.setupIni, std::make_unique<SetupINIFileManager>());
  setUpTable(dictionary.sections, std::make_unique<SectionsFileManager>());
  dictionary.setupIni.relate = dictionary.setupIni.relationManager.get();
  dictionary.sections.relate = dictionary.sections.relationManager.get();
  initTable(dictionary.setupIni);
  initTable(dictionary.sections);
}

void dictionaryTearDown() {
  ThreadDictionary& dictionary = threadDictionary();
  tearDownTable(dictionary.setupIni);
  tearDownTable(dictionary.sections);
}

}  // namespace qv
