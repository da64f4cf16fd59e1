#pragma once
// The application's two tables, declared as FILEs of the native driver:
// Sections (prefix SEC, "section.edt") and SetupINI (prefix SIN,
// "Setup.edt"). Both are per-thread: each thread has its own control block
// and record buffer.

#include "data/file_control_block.h"

namespace qv {

inline constexpr const char* kSectionsKey = "SEC:P_Description";
inline constexpr const char* kSetupIniIdKey = "SIN:p_ID";
inline constexpr const char* kSetupIniSectionKey = "SIN:P_Section";

// Fills a fresh control block with the table's declaration.
void declareSections(zor::data::FileControlBlock& fcb);
void declareSetupIni(zor::data::FileControlBlock& fcb);

// The calling thread's instances, declared at their first use.
zor::data::FileControlBlock& sectionsTable();
zor::data::FileControlBlock& setupIniTable();

// Their keys.
zor::data::KeyBlock& sectionsDescriptionKey();  // SEC:P_Description
zor::data::KeyBlock& setupIniIdKey();           // SIN:p_ID
zor::data::KeyBlock& setupIniSectionKey();      // SIN:P_Section

}  // namespace qv
