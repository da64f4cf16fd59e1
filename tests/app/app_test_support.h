#pragma once
// Shared pieces of the application's tests: a folder of its own per test,
// made the current directory, where the program finds or creates its files.

#include "tests/current_folder_test.h"

namespace qv::testing {

class TempFolderTest : public zor::testing::CurrentFolderTest {};

}  // namespace qv::testing
