// The error reporter: its table as the user sees it, the substitutions, the
// level dispatch, the log, the history and its windows, and the end of the
// program after a fatal error.

#include "framework/error_reporter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "framework/error_log.h"
#include "framework/error_substitution.h"
#include "framework/error_table.h"
#include "platform/message_box.h"
#include "platform/threads.h"
#include "runtime/halt.h"
#include "tests/framework/framework_test_support.h"
#include "ui/headless/headless_session.h"
#include "ui/headless/message_box_script.h"
#include "ui/statements.h"

namespace zor::fw {
namespace {

using ui::headless::HeadlessSession;
using ui::headless::MessageBoxScript;

// Every entry of the table, as its box shows it with the context that
// reporterWithContext sets ("|" has become a line break).
struct ShownError {
  int id;
  uint8_t level;
  const char* title;
  const char* text;
};
const ShownError kShownErrors[] = {
    {1, 5, "Record Retrieval Error",
     "Error: (Access Denied (5)) attempting to access a record from the SetupINI file.  Returning "
     "to previous window."},
    {2, 5, "Access Denied", "Could not get write access to SetupINI so trying read-only."},
    {3, 1, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4, 5, "Record Insert Error",
     "An error was experienced during the creation of a record.\nFile: SetupINI\nError: Access "
     "Denied (5)."},
    {5, 5, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, 5, "File Access Error", "File SetupINI could not be closed.  Error: Access Denied (5)."},
    {7, 5, "Record Was Not Updated", "This record was changed by another station."},
    {8, 5, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {9, 5, "Record Retrieval Error",
     "This record was changed or deleted by another station.\nError: (Access Denied (5)) "
     "attempting to access a record from the SetupINI file."},
    {10, 1, "Changes will be lost!", "Are you sure you want to cancel?"},
    {11, 1, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
    {12, 3, "File Creation Error", "Error: (Access Denied (5)) creating SetupINI."},
    {13, 5, "Record was not deleted",
     "An error (Access Denied (5)) was experienced when deleting a record from the SetupINI file."},
    {14, 5, "Invalid Request", "This form cannot be used to delete a record"},
    {15, 5, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: the message"},
    {16, 5, "Field contents error",
     "The value of SIN:Value must be found in the the message file."},
    {17, 5, "Value Error", "The value of SIN:Value must be in the list : the message."},
    {18, 5, "Range Error", "The value of SIN:Value must be in range the message."},
    {19, 5, "Range Error", "The value of SIN:Value must be lower than the message."},
    {20, 5, "Range Error", "The value of SIN:Value must be higher than the message."},
    {21, 5, "File Load Error", "SetupINI File Load Error.  Error: Access Denied (5)."},
    {22, 3, "WMF Parser Error", "Get next record from file SetupINI failed."},
    {23, 5, "Invalid Request", "This form cannot be used to insert a record"},
    {24, 5, "Transaction cancelled",
     "Error: (Access Denied (5)) attempting to frame the transaction on SetupINI."},
    {25, 5, "No Records", "There are no records available to process."},
    {26, 3, "File Access Error", "File SetupINI could not be opened.  Error: Access Denied (5)."},
    {27, 5, "Procedure not defined", "The Procedure the message has not been defined."},
    {28, 5, "Record was not updated",
     "An error (Access Denied (5)) was experienced when making changes to the SetupINI file."},
    {29, 3, "Key was not built", "Error: (Access Denied (5)) repairing key for SetupINI."},
    {30, 5, "Invalid Key", "SetupINI key file is invalid. Key must be rebuilt."},
    {31, 5, "Record not read",
     "A record held by another station was encountered reading from the SetupINI file."},
    {33, 5, "Referential Integrity Delete Error",
     "This record is referenced from the file SetupINI. This record cannot be deleted while these "
     "references exist."},
    {34, 5, "Referential Integrity Update Error",
     "This record is referenced from the file SetupINI. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {35, 1, "Auto Increment Error",
     "Attempts to automatically number this record have failed.\nFile: SetupINI\nKey: "
     "SIN:KeyId\nError: Access Denied (5).\nTry Again?"},
    {36, 1, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {37, 1, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {38, 1, "Save Record", "Do you want to save the changes to this record?"},
    {39, 1, "Beginning of File Error",
     "The beginning of the file SetupINI was encountered. Do you want to start again from the end "
     "of the file?"},
    {40, 1, "End of File Error",
     "The end of the file SetupINI was encountered. Do you want to start again from the "
     "beginning?"},
    {41, 5, "Invalid Request", "This form cannot be used to update a record"},
    {42, 2, "File Usage Error", "Attempt to use file (SetupINI) before it was opened"},
    {43, 5, "View Open Error",
     "Error: (Access Denied (5)) attempting to open the current VIEW. Filter and Range Limits "
     "ignored."},
    {44, 5, "Unsupported QBE Column",
     "The saved QBE column, SIN:Value is not supported. It will be dropped from the query."},
    {45, 5, "SMTP Error", "The following SMTP Error occurred: the message "},
    {46, 5, "NNTP Error", "the message "},
    {47, 5, "Winsock Error", "the message "},
    {48, 3, "WMF Parser Error", "Adding record to queue failed. Parsing SetupINI."},
    {49, 3, "WMF Parser Error", "The File SetupINI is not a valid WMF file."},
    {50, 3, "WMF Parser Error", "Invalid SIN:Value control found. Parsing SetupINI."},
    {51, 3, "WMF Parser Error", "Cannot find SIN:Value id. Parsing SetupINI."},
    {52, 5, "Report Writer Error",
     "Poorly Formed Comment String \"the message\" at Position SIN:Value."},
    {53, 5, "Report Writer Error", "Unknown Property the message."},
};

void setContext(ErrorReporter& reporter) {
  reporter.SetFile("SetupINI");
  reporter.SetKey("SIN:KeyId");
  reporter.SetField("SIN:Value");
  reporter.SetMessage("the message");
  reporter.SetErrors(5, "Access Denied", "13", "Permission denied");
}

TEST(ErrorReporter, EveryMessageOfTheTableAppearsAsWritten) {
  ErrorReporter reporter;
  reporter.Init();
  test::HaltRecorder halts;
  MessageBoxScript boxes;
  std::vector<int> ids;
  for (const ShownError& error : kShownErrors) {
    SCOPED_TRACE(error.id);
    ids.push_back(error.id);
    setContext(reporter);
    const bool question = error.level == Level::User;
    const bool ending = error.level == Level::Fatal || error.level == Level::Program;
    boxes.answer(question ? platform::IDYES : platform::IDOK);
    const size_t haltsBefore = halts.codes().size();

    const uint8_t level = reporter.Throw(error.id);

    ASSERT_EQ(boxes.shown().size(), ids.size());
    const ui::headless::ShownMessageBox box = boxes.shown().back();
    EXPECT_EQ(box.caption, error.title);
    EXPECT_EQ(box.text,
              ending ? std::string(error.text) + "  Press OK to end this application" : error.text);
    EXPECT_EQ(box.flags & 0xFFu, question ? platform::MB_YESNO | platform::MB_ICONEXCLAMATION
                                          : platform::MB_OK | platform::MB_ICONASTERISK);
    EXPECT_EQ(level, question ? Level::Benign : ending ? Level::Fatal : Level::Notify);
    EXPECT_EQ(halts.codes().size(), haltsBefore + (ending ? 1 : 0));
    EXPECT_EQ(reporter.Entry(error.id)->category, "OBX");
  }
  EXPECT_EQ(ids.size(), kBuiltInErrorCount);
  for (int id = 0; id <= 60; ++id) {
    EXPECT_EQ(reporter.Entry(id).has_value(), std::count(ids.begin(), ids.end(), id) == 1) << id;
  }
  EXPECT_EQ(halts.codes(), std::vector<int>(halts.codes().size(), ErrorReporter::kHaltExitCode));
}

TEST(ErrorReporter, TheBuiltInTableIsStoredAndReadBackWhole) {
  const std::span<const uint8_t> table = ErrorReporter::BuiltInTable();
  ASSERT_EQ(table.size(), kBuiltInErrorTableBytes);
  EXPECT_EQ(table[0] | table[1] << 8, static_cast<int>(kBuiltInErrorCount));
  auto entries = readErrorTable(table);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), std::size(kShownErrors));
  EXPECT_EQ(entries->at(34).id, 36) << "id 32 is not in the table";
  EXPECT_EQ(entries->at(2).message,
            "This record has been added to the file. Do you want to add another record?");

  // A table cut short anywhere, or with bytes after its end, adds nothing.
  ErrorReporter reporter;
  for (size_t length = 0; length < table.size(); length += 7) {
    ASSERT_FALSE(reporter.AddErrors(table.first(length))) << length;
  }
  std::vector<uint8_t> longer(table.begin(), table.end());
  longer.push_back(0);
  EXPECT_FALSE(reporter.AddErrors(longer));
  EXPECT_FALSE(reporter.Entry(1));

  // A program's own table rewords a known error and adds its own.
  reporter.Init();
  reporter.SetCategory(-1, "QV");
  ASSERT_TRUE(reporter.AddErrors(test::storedTable({{2, 5, "T", "m2"}, {1000, 1, "Q", "?"}})));
  EXPECT_EQ(reporter.Entry(2)->message, "m2");
  EXPECT_EQ(reporter.Entry(1000)->title, "Q");
  EXPECT_EQ(reporter.Entry(1000)->fatality, Level::User);
  EXPECT_EQ(reporter.Entry(1000)->category, "QV");
  EXPECT_EQ(reporter.Entry(1)->category, "QV");
}

TEST(ErrorReporter, MarkersAreReplacedLongestFirstAndOnlyInTheMessage) {
  ErrorStatus status;
  status.fileName = "F";
  status.saveFileError = "Disk full";
  status.saveFileErrorCode = "28";
  status.saveError = "Creating Error";
  status.keyName = "K";
  status.messageText = "%File";  // a value is never searched for markers
  status.fieldName = "";
  struct Case {
    int code;
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {0, "%FileErrorCode|%FileError|%File", "28|Disk full|F"},
      {54, "%ErrorText", "Creating Error (54)"},
      {90, "(%ErrorText)", "(Disk full (28))"},
      {100, "%ErrorText", "Disk full (28)"},
      {91, "%ErrorCode %Error %ErrorText", "91 Creating Error Creating Error (91)"},
      {0, "[%Field] %Message %Key", "[] %File K"},
      {0, "%Procedure/%Category/%Previous", "Main/OBX/"},
      {0, "100% of %Files", "100% of Fs"},
      {0, "No markers at all.", "No markers at all."},
  };
  for (const Case& c : cases) {
    status.saveErrorCode = c.code;
    EXPECT_EQ(substituteMarkers(c.text, markerValues(status, "Main", "OBX", std::nullopt)), c.shown)
        << c.text;
  }
  EXPECT_EQ(substituteMarkers(std::string(3000, 'x'), markerValues(status, "", "", {})).size(),
            kSubstitutedTextLength);
}

TEST(ErrorReporter, PreviousProcedureAndCategoryComeFromTheReporter) {
  ErrorReporter reporter;
  reporter.Init();
  ASSERT_TRUE(
      reporter.AddErrors(test::storedTable({{100, 5, "T", "%Previous|%Procedure/%Category"}})));
  reporter.SetCategory(100, "Mine");
  reporter.SetProcedureName("Main");
  reporter.SetProcedureName("UpdateSettings");
  reporter.Record(7);
  reporter.Record(100);
  EXPECT_EQ(reporter.SubsString(),
            "This record was changed by another station.|UpdateSettings/Mine");
  reporter.PopProcedureName();
  reporter.Record(100);  // the previous error is now 100 itself
  EXPECT_EQ(reporter.SubsString(), "%Previous|%Procedure/%Category|Main/Mine");

  // Another thread sees only its own names.
  std::string seen = "?";
  std::thread other([&] {
    seen = reporter.ProcedureName();
    reporter.SetProcedureName("Worker");
    reporter.PopProcedureName();
    reporter.PopProcedureName();  // nothing of this thread left: Main stays
  });
  other.join();
  EXPECT_EQ(seen, "");
  EXPECT_EQ(reporter.ProcedureName(), "Main");
  EXPECT_FALSE(reporter.Record(4711));
  EXPECT_EQ(reporter.Status().errorBuffer.fatality, Level::Program);
}

TEST(ErrorReporter, QuestionsSilenceAndChosenButtons) {
  ErrorReporter reporter;
  reporter.Init();
  test::HaltRecorder halts;
  MessageBoxScript boxes;
  boxes.answer(platform::IDNO);
  EXPECT_EQ(reporter.Throw(35), Level::Cancel);
  boxes.answer(platform::IDYES);
  EXPECT_EQ(reporter.Throw(35), Level::Benign);
  boxes.answer(platform::IDCANCEL);
  EXPECT_EQ(reporter.Message(38, Button::YesNoCancel, Button::Cancel), Button::Cancel);
  EXPECT_EQ(boxes.shown().back().flags & 0xFFFu,
            platform::MB_YESNOCANCEL | platform::MB_ICONEXCLAMATION | platform::MB_DEFBUTTON3);
  reporter.MSGSTYLE = ui::MSGMODE::SysModal;
  EXPECT_EQ(reporter.ThrowFile(25, "x"), Level::Notify);
  EXPECT_TRUE(boxes.shown().back().flags & platform::MB_SYSTEMMODAL);
  ASSERT_EQ(boxes.shown().size(), 4u);

  // Silent: nothing is shown; a question counts as declined.
  reporter.SetSilent(true);
  EXPECT_EQ(reporter.Throw(11), Level::Cancel);
  EXPECT_EQ(reporter.Throw(25), Level::Notify);
  EXPECT_EQ(reporter.Throw(26), Level::Fatal);
  EXPECT_EQ(reporter.Message(38, Button::YesNoCancel, Button::Yes), Button::Cancel);
  EXPECT_EQ(boxes.shown().size(), 4u);
  EXPECT_EQ(halts.codes().size(), 1u) << "a silent fatal error still ends the program";
}

// A log whose steps fail on demand.
struct FailingLog : ErrorLog {
  int failAt = 0;  // 1 open, 2 write, 3 close
  std::vector<std::string> lines;
  int open() override { return failAt == 1 ? 5 : 0; }
  int write(const std::string& line) override {
    lines.push_back(line);
    return failAt == 2 ? 39 : 0;
  }
  int close() override { return failAt == 3 ? 6 : 0; }
  std::string errorText() const override { return "broken " + std::to_string(failAt); }
};

TEST(ErrorReporter, TheLogGetsOneLinePerErrorAndItsFailuresAreShown) {
  test::TemporaryFolder folder;
  test::CurrentFolder inside(folder.path());
  ErrorReporter reporter;
  reporter.Init();
  MessageBoxScript boxes;
  reporter.SetLogErrors(true);
  reporter.ThrowFile(2, "Setup.edt");
  reporter.ThrowFile(25, "");
  std::ifstream in(folder.path() / "OBXError.Log");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2u);
  const std::regex stamp(R"(\d{4}-\d\d-\d\d@\d\d:\d\d:\d\d --> )");
  EXPECT_TRUE(std::regex_search(lines[0], stamp)) << lines[0];
  EXPECT_TRUE(
      lines[0].ends_with(" --> Could not get write access to Setup.edt so trying read-only."));
  EXPECT_TRUE(lines[1].ends_with(" --> There are no records available to process."));

  for (int step : {1, 2, 3}) {
    FailingLog log;
    log.failAt = step;
    reporter.SetLog(log);
    const size_t before = boxes.shown().size();
    reporter.Throw(7);
    ASSERT_EQ(boxes.shown().size(), before + 2) << step;
    const char* texts[] = {"Unable to Open error log; broken 1",
                           "Unable to update error log; broken 2",
                           "Unable to close error log; broken 3"};
    EXPECT_EQ(boxes.shown()[before].text, texts[step - 1]);
    EXPECT_EQ(boxes.shown()[before + 1].text, "This record was changed by another station.")
        << "the error is still shown";
    EXPECT_EQ(log.lines.size(), step == 1 ? 0u : 1u);
  }
}

TEST(ErrorReporter, TheHistoryKeepsTheLastErrorsUpToItsThreshold) {
  ErrorReporter reporter;
  reporter.Init();
  MessageBoxScript boxes;
  reporter.Throw(25);
  EXPECT_TRUE(reporter.History().empty()) << "no history by default";
  reporter.SetHistoryThreshold(3);
  for (int id : {2, 7, 25, 14, 11}) reporter.ThrowFile(id, "Setup.edt");
  const std::vector<ErrorHistoryEntry> history = reporter.History();
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].id, 25);
  EXPECT_EQ(history[1].text, "This form cannot be used to delete a record");
  EXPECT_EQ(history[2].id, 11);
  EXPECT_EQ(history[2].level, Level::User);
  reporter.SetHistoryThreshold(0);
  EXPECT_TRUE(reporter.History().empty());
}

TEST(ErrorReporter, WhileCollectingTheBoxOffersTheErrorsHistoryWindow) {
  ErrorReporter reporter;
  reporter.Init();
  reporter.SetHistoryThreshold(10);
  reporter.SetHistoryViewLevel(Level::Notify);
  reporter.SetHistoryResetOnView(true);
  uint8_t first = 0, second = 0;
  std::string historyScreen;
  HeadlessSession session;
  session.start([&] {
    reporter.SetFile("Setup.edt");
    reporter.SetErrors(5, "Access Denied");
    first = reporter.Throw(13);
    second = reporter.Throw(11);
  });
  ASSERT_NE(session.window(), nullptr);
  std::string box = session.snapshot();
  EXPECT_NE(box.find("Record was not deleted"), std::string::npos) << box;
  EXPECT_NE(box.find("View History"), std::string::npos) << box;
  EXPECT_NE(box.find("Setup.edt file."), std::string::npos) << "long lines wrap\n" << box;
  session.click("?HISTORY");
  session.run();
  historyScreen = session.snapshot();
  EXPECT_NE(historyScreen.find("Errors History"), std::string::npos) << historyScreen;
  EXPECT_NE(historyScreen.find("An error (Access Denied"), std::string::npos) << historyScreen;
  session.click("?CLOSE");
  session.click("?OK");
  session.run();
  // Error 11 is a question of level 1, below the view level: no history button.
  box = session.snapshot();
  EXPECT_NE(box.find("Confirm Delete"), std::string::npos) << box;
  EXPECT_EQ(box.find("View History"), std::string::npos) << box;
  session.click("?NO");
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(first, Level::Notify);
  EXPECT_EQ(second, Level::Cancel);
  EXPECT_TRUE(session.messageBoxes().shown().empty()) << "no plain box while collecting";
  ASSERT_EQ(reporter.History().size(), 1u) << "viewing emptied the history";
  EXPECT_EQ(reporter.History()[0].id, 11);
}

TEST(ErrorReporterDeathTest, AFatalErrorEndsTheProgramAfterItsBox) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ErrorReporter::SetHaltHook({});
        platform::setMessageBoxHook({});
        addHaltAction([] { std::fputs("halt action ran\n", stderr); });
        ErrorReporter reporter;
        reporter.Init();
        reporter.SetErrors(2, "File Not Found");
        reporter.ThrowFile(26, "section.edt");
        std::fputs("carried on\n", stderr);
      },
      ::testing::ExitedWithCode(ErrorReporter::kHaltExitCode),
      "File Access Error: File section.edt could not be opened.  Error: File Not Found \\(2\\)."
      "  Press OK to end this application\nhalt action ran\n");
}

}  // namespace
}  // namespace zor::fw
