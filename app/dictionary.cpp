#include "app/dictionary.h"

#include "app/program_globals.h"
#include "app/tables.h"
#include "framework/field_ref.h"

namespace qv {

namespace {

using zor::fw::fieldByLabel;
using zor::fw::FieldRef;

// Seconds the driver may take to recover a lock left by a stopped station.
constexpr int16_t kLockRecoverSeconds = 10;

zor::fw::ErrorReporter& reporter() {
  ProgramGlobals& globals = programGlobals();
  return globals.errorReporter != nullptr ? *globals.errorReporter
                                          : zor::fw::ErrorReporter::Global();
}

template <class FileManagerType, class RelationManagerType>
void setUpTable(TableObjects& table) {
  table.fileManager = std::make_unique<FileManagerType>();
  table.relationManager = std::make_unique<RelationManagerType>(table.fileManager, table.access);
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

void TableFileManager::Init() {
  Initialized = 0;
  zor::data::FileControlBlock& file = table();
  Buffer = &file.record;
  FileNameValue = label();
  Errors = &reporter();
  File = &file;
  zor::fw::FileManager::Init();
  accessReference() = this;
}

uint8_t TableFileManager::EnsureOpen(uint8_t useKind) {
  using zor::fw::UseKind::Initialise;
  if (useKind != Initialise) EnsureOpen(Initialise);
  if (useKind == Initialise && Initialized == 0) {
    InUseFile = 1;
    Bind(table(), *Errors);
    Create = 1;
    LockRecover = kLockRecoverSeconds;
    declareKeys();
  }
  return zor::fw::FileManager::EnsureOpen(useKind);
}

zor::data::FileControlBlock& SectionsFileManager::table() const {
  return sectionsTable();
}

void SectionsFileManager::declareKeys() {
  DeclareKey(sectionsDescriptionKey(), kSectionsKey, false);
}

zor::fw::FileManager*& SectionsFileManager::accessReference() const {
  return threadDictionary().sections.access;
}

zor::data::FileControlBlock& SetupINIFileManager::table() const {
  return setupIniTable();
}

void SetupINIFileManager::declareKeys() {
  DeclareKey(setupIniIdKey(), kSetupIniIdKey, true);
  DeclareKey(setupIniSectionKey(), kSetupIniSectionKey, false);
}

zor::fw::FileManager*& SetupINIFileManager::accessReference() const {
  return threadDictionary().setupIni.access;
}

void TableRelationManager::Release() {
  if (fileSlot_) fileSlot_->Release();
  zor::fw::RelationManager::Release();
  accessReference_ = nullptr;
  fileSlot_.reset();
}

void SectionsRelationManager::DeferedAddRelations() {
  ThreadDictionary& dictionary = threadDictionary();
  LinkTable(*dictionary.setupIni.relationManager, zor::fw::RIMode::Clear, zor::fw::RIMode::Clear,
            &setupIniSectionKey());
  LinkFields(fieldByLabel(sectionsTable(), "SEC:DESCRIPTION"),
             fieldByLabel(setupIniTable(), "SIN:INISECTION"));
  zor::fw::RelationManager::DeferedAddRelations();
}

void SetupINIRelationManager::DeferedAddRelations() {
  LinkTable(*threadDictionary().sections.relationManager);
  zor::fw::RelationManager::DeferedAddRelations();
}

ThreadDictionary& threadDictionary() {
  thread_local ThreadDictionary dictionary;
  return dictionary;
}

void dictionarySetUp() {
  ThreadDictionary& dictionary = threadDictionary();
  setUpTable<SetupINIFileManager, SetupINIRelationManager>(dictionary.setupIni);
  setUpTable<SectionsFileManager, SectionsRelationManager>(dictionary.sections);
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
