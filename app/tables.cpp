#include "app/tables.h"

#include <mutex>

#include "app/record_layouts.h"
#include "data/file_declaration.h"
#include "data/tarnwick/tarnwick_driver.h"

namespace qv {

namespace {

using zor::data::FileDeclaration;
using zor::data::KeyDeclaration;

const FileDeclaration& sectionsDeclaration() {
  static const FileDeclaration declaration = {
      .label = "Sections",
      .prefix = "SEC",
      .driver = "TARNWICK",
      .name = "section.edt",
      .attributes = zor::data::kFileThread,
      .recordSize = sections::kRecordSize,
      .fields = sectionsLayout(),
      .memos = {},
      .keys = {KeyDeclaration{kSectionsKey,
                              {"SEC:DESCRIPTION"},
                              zor::data::kKeyPrimary | zor::data::kKeyNoCase | zor::data::kKeyOpt,
                              ""}},
  };
  return declaration;
}

const FileDeclaration& setupIniDeclaration() {
  static const FileDeclaration declaration = {
      .label = "SetupINI",
      .prefix = "SIN",
      .driver = "TARNWICK",
      .name = "Setup.edt",
      .attributes = zor::data::kFileThread,
      .recordSize = setup_ini::kRecordSize,
      .fields = setupIniLayout(),
      .memos = {},
      .keys =
          {
              KeyDeclaration{
                  kSetupIniIdKey, {"SIN:ID"}, zor::data::kKeyPrimary | zor::data::kKeyNoCase, ""},
              KeyDeclaration{kSetupIniSectionKey,
                             {"SIN:INISECTION"},
                             zor::data::kKeyDup | zor::data::kKeyNoCase | zor::data::kKeyOpt,
                             ""},
          },
  };
  return declaration;
}

zor::data::FileControlBlock& declared(zor::data::FileControlBlock& fcb,
                                      void (*declare)(zor::data::FileControlBlock&)) {
  if (fcb.label.empty()) {
    // The tables need their driver; whichever thread declares first makes
    // it known.
    static std::once_flag registered;
    std::call_once(registered, [] { zor::tarnwick::registerTarnwickDriver(); });
    declare(fcb);
  }
  return fcb;
}

}  // namespace

void declareSections(zor::data::FileControlBlock& fcb) {
  zor::data::declareFile(fcb, sectionsDeclaration());
}

void declareSetupIni(zor::data::FileControlBlock& fcb) {
  zor::data::declareFile(fcb, setupIniDeclaration());
}

zor::data::FileControlBlock& sectionsTable() {
  thread_local zor::data::FileControlBlock fcb;
  return declared(fcb, declareSections);
}

zor::data::FileControlBlock& setupIniTable() {
  thread_local zor::data::FileControlBlock fcb;
  return declared(fcb, declareSetupIni);
}

zor::data::KeyBlock& sectionsDescriptionKey() {
  return sectionsTable().keys[0];
}

zor::data::KeyBlock& setupIniIdKey() {
  return setupIniTable().keys[0];
}

zor::data::KeyBlock& setupIniSectionKey() {
  return setupIniTable().keys[1];
}

}  // namespace qv
