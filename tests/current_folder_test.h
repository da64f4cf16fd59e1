#pragma once
// A folder of its own per test, made the current directory for the test
// and removed after it: the tests of the framework and of the application
// find or create their files there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace zor::testing {

class CurrentFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    previous_ = std::filesystem::current_path();
    folder_ =
        std::filesystem::temp_directory_path() /
        ("zor_" + std::to_string(::getpid()) + "_" + test->test_suite_name() + "_" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

}  // namespace zor::testing
