// End-to-end tests of twk's send and verify commands: switches sent to a
// table through the driver with their answers, the lock check of verify,
// and the errors of both.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "data/file_control_block.h"
#include "data/tarnwick/lock_space.h"
#include "data/tarnwick/table.h"
#include "platform/file.h"
#include "tests/tools/tool_run.h"

namespace zor::testing {
namespace {

namespace fs = std::filesystem;

ToolOutput twk(const std::vector<std::string>& arguments) {
  return runTool("twk", arguments);
}

class TwkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("twk_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    data_ = (dir_ / "data.twk").string();
    const std::string schema = write("schema.txt",
                                     "record 8\n"
                                     "field 1 P:ID LONG offset=0 size=4 places=0 dim=0\n"
                                     "field 2 P:QTY LONG offset=4 size=4 places=0 dim=0\n"
                                     "key 1 P:BYID attributes=none components=+P:ID\n");
    const std::string csv = write("rows.csv", "P:ID,P:QTY\n1,10\n2,20\n");
    const ToolOutput load = twk({"load", data_ + "\\!PARTS", schema, csv});
    ASSERT_EQ(load.exitCode, 0) << load.err;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // Opens the data file as another program would, sharing it as `share`.
  int openAsAnotherProgram(platform::File& file, platform::Share share) {
    return file.open(data_, platform::Access::ReadWrite, share,
                     platform::Disposition::OpenExisting);
  }

  std::string send(const std::vector<std::string>& texts) {
    std::vector<std::string> arguments{"send", data_ + "\\!PARTS"};
    arguments.insert(arguments.end(), texts.begin(), texts.end());
    const ToolOutput run = twk(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }

  fs::path dir_;
  std::string data_;
};

TEST_F(TwkTest, SendAnswersTheSettingBeforeEachChangeOnItsOwnLine) {
  EXPECT_EQ(send({"DecimalCheck=OFF", "decimalcheck"}), "ON\nOFF\n");
  // The settings last while the table is open: a new run starts afresh.
  EXPECT_EQ(send({"DecimalCheck"}), "ON\n");
  EXPECT_EQ(send({"FULLBUILD=Yes", "FULLBUILD=on", "FULLBUILD"}), "OFF\nOFF\nON\n");
  EXPECT_EQ(send({"REGISTER"}), "TARNWICK\n");
  // The driver ignores a text it does not know; twk says so and fails.
  const ToolOutput unknown = twk({"send", data_ + "\\!PARTS", "QUICKSCAN=on", "FLAGS"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.out, "\n0\n");
  EXPECT_EQ(unknown.err,
            "twk: \"QUICKSCAN=on\" is no switch of the driver and was ignored (twk help send "
            "lists them)\n");
}

TEST_F(TwkTest, FlagsAreKeptInTheTableAndLeaveItsRecordsAlone) {
  EXPECT_EQ(send({"FLAGS=7"}), "0\n");
  EXPECT_EQ(send({"FLAGS", "FLAGS=lots", "FLAGS"}), "7\n7\n7\n");
  const ToolOutput dump = twk({"dump", data_ + "\\!PARTS"});
  EXPECT_EQ(dump.out, "P:ID,P:QTY\n1,10\n2,20\n");
  EXPECT_EQ(twk({"verify", data_}).exitCode, 0);
  // The file's only table is the one meant when none is named.
  const ToolOutput unnamed = twk({"send", data_, "FLAGS"});
  EXPECT_EQ(unnamed.out, "7\n");
}

TEST_F(TwkTest, SendRefusesWhatItCannotOpenWithAClearMessage) {
  ToolOutput run = twk({"send", data_ + "\\!MISSING", "FLAGS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "twk: " + data_ + ": no table MISSING\n");

  run = twk({"send", (dir_ / "absent.twk").string(), "FLAGS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("absent.twk"), std::string::npos) << run.err;

  const std::string text = write("notes.txt", std::string(200, 'x'));
  run = twk({"send", text, "FLAGS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("not a Tarnwick file"), std::string::npos) << run.err;

  // Without an extension the driver would look for another file.
  fs::copy_file(data_, dir_ / "bare");
  run = twk({"send", (dir_ / "bare").string(), "FLAGS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("extension"), std::string::npos) << run.err;

  run = twk({"send", data_});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("usage: twk send FILE[\\!TABLE] TEXT..."), std::string::npos) << run.err;
  EXPECT_NE(twk({"help"}).out.find("twk send FILE[\\!TABLE] TEXT..."), std::string::npos);
}

TEST_F(TwkTest, SendOpensATableOthersHoldShared) {
  // A program that has the file open shared does not keep twk out.
  platform::File other;
  ASSERT_EQ(openAsAnotherProgram(other, platform::Share::DenyNone), 0);
  EXPECT_EQ(send({"FLAGS=3", "FLAGS"}), "0\n3\n");
  other.close();
  // A program that keeps other writers out leaves twk the table to read.
  platform::File writer;
  ASSERT_EQ(openAsAnotherProgram(writer, platform::Share::DenyWrite), 0);
  EXPECT_EQ(send({"DecimalCheck=OFF", "DecimalCheck"}), "ON\nOFF\n");
  writer.close();
  platform::File exclusive;
  ASSERT_EQ(openAsAnotherProgram(exclusive, platform::Share::Exclusive), 0);
  const ToolOutput run = twk({"send", data_ + "\\!PARTS", "FLAGS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
}

TEST_F(TwkTest, VerifySaysWhetherLocksHoldBeforeItsVerdict) {
  ToolOutput run = twk({"verify", data_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "Byte-range locks work on " + data_ + ".\nok\n");

  // Another check holding the test byte is reported but fails nothing.
  platform::File holder;
  ASSERT_EQ(openAsAnotherProgram(holder, platform::Share::DenyNone), 0);
  ASSERT_EQ(holder.lock(tarnwick::kNumberedLockBase, 1), 0);
  run = twk({"verify", data_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "Byte-range locks on " + data_ +
                         " could not be checked: the test byte is in use.\nok\n");
  holder.unlock(tarnwick::kNumberedLockBase, 1);
  holder.close();

  // A file it may not write is checked without the lock test failing it.
  fs::permissions(data_, fs::perms::owner_read);
  run = twk({"verify", data_});
  fs::permissions(data_, fs::perms::owner_read | fs::perms::owner_write);
  if (::geteuid() != 0) {
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("could not be checked"), std::string::npos) << run.out;
  }
}

TEST_F(TwkTest, ReadingCommandsWaitWhileAWriterCopiesItsChangeHome) {
  // Another program holds every reader slot, as a writer does while it
  // copies a change home: dump and verify wait for it instead of reading
  // pages half written.
  platform::File writer;
  ASSERT_EQ(openAsAnotherProgram(writer, platform::Share::DenyNone), 0);
  ASSERT_EQ(writer.lock(tarnwick::kLockBase, tarnwick::kReaderSlots), 0);
  std::atomic<bool> done{false};
  ToolOutput dump, verify;
  std::thread reader([&] {
    dump = twk({"dump", data_ + "\\!PARTS"});
    verify = twk({"verify", data_});
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(done);
  ASSERT_EQ(writer.unlock(tarnwick::kLockBase, tarnwick::kReaderSlots), 0);
  reader.join();
  EXPECT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out, "P:ID,P:QTY\n1,10\n2,20\n");
  EXPECT_EQ(verify.exitCode, 0) << verify.err;
}

TEST_F(TwkTest, VerifyOfAMissingFileIsAnErrorWithoutALockSentence) {
  const ToolOutput run = twk({"verify", (dir_ / "absent.twk").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("absent.twk"), std::string::npos);
}

TEST_F(TwkTest, TwoLoadsIntoOneTableFromTwoProcessesBothSucceed) {
  const std::string schema = (dir_ / "schema.txt").string();
  std::string first = "P:ID,P:QTY\n", second = first;
  for (int i = 0; i < 3000; ++i) {
    first += std::to_string(100 + 2 * i) + ",1\n";
    second += std::to_string(101 + 2 * i) + ",2\n";
  }
  const std::string table = data_ + "\\!PARTS";
  const std::string load = std::string(ZOR_TOOL_DIR) + "/twk load " + shellQuoted(table) + " " +
                           shellQuoted(schema) + " ";
  // Both start at once; each reports its exit code.
  const std::string both = load + shellQuoted(write("a.csv", first)) + " >/dev/null & a=$!; " +
                           load + shellQuoted(write("b.csv", second)) +
                           " >/dev/null & b=$!; wait $a && wait $b";
  EXPECT_EQ(std::system(("sh -c " + shellQuoted(both)).c_str()), 0);
  const ToolOutput verify = twk({"verify", data_});
  EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  const ToolOutput dump = twk({"dump", table});
  EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 1 + 2 + 6000);
}

TEST_F(TwkTest, VerifySettlesAChangeAStoppedWriterLeftAsOpenWould) {
  {
    // A record goes in and the change reaches the disk durably; then the
    // program stops before its pages are copied home.
    tarnwick::TarnwickFile file;
    ASSERT_EQ(file.open(data_, tarnwick::OpenMode{}), 0);
    tarnwick::TableId id{};
    std::vector<uint8_t> stream;
    tarnwick::TableDefinition definition;
    ASSERT_TRUE(tarnwick::findTable(file, "PARTS", id));
    ASSERT_TRUE(tarnwick::readDefinitionStream(file, id, stream));
    ASSERT_TRUE(tarnwick::readDefinition(stream, definition));
    data::FileControlBlock schema;
    definition.declareInto(schema);
    tarnwick::Table table(file, id, schema);
    std::vector<uint8_t> image = {3, 0, 0, 0, 30, 0, 0, 0};
    uint32_t number = 0;
    ASSERT_EQ(table.insertRecord(image.data(), nullptr, number), 0);
    ASSERT_EQ(file.makeDurable(), 0);
  }
  ToolOutput run = twk({"verify", data_});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out,
            "A change left unfinished by a program that stopped was completed, as opening the "
            "file does.\nByte-range locks work on " +
                data_ + ".\nok\n");
  EXPECT_EQ(twk({"dump", data_ + "!PARTS"}).out, "P:ID,P:QTY\n1,10\n2,20\n3,30\n");
  EXPECT_EQ(twk({"verify", data_}).out, "Byte-range locks work on " + data_ + ".\nok\n");
}

TEST_F(TwkTest, LoadTakesHeadersAsPeopleWriteThemAndTextAsUtf8) {
  // Any case, no prefix, columns swapped, a byte order mark, CRLF.
  const std::string schema = (dir_ / "schema.txt").string();
  const std::string csv = write("mixed.csv", "\xEF\xBB\xBFqty,Id\r\n30,3\r\n40,4\r\n");
  ToolOutput run = twk({"load", data_ + "!PARTS", schema, csv});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(twk({"dump", data_ + "!PARTS"}).out, "P:ID,P:QTY\n1,10\n2,20\n3,30\n4,40\n");

  const std::string names = write("names.schema",
                                  "record 12\n"
                                  "field 1 N:ID LONG offset=0 size=4 places=0 dim=0\n"
                                  "field 2 N:NAME STRING offset=4 size=8 places=0 dim=0\n");
  const std::string text = (dir_ / "names.twk").string();
  run = twk({"load", text, names, write("n.csv", "1,Zoë\n2,\"Müller\"\n")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(twk({"dump", text}).out, "N:ID,N:NAME\n1,Zoë\n2,Müller\n");
  EXPECT_EQ(
      twk({"dump", text, "--format", "json"}).out,
      "[\n  {\"N:ID\": 1, \"N:NAME\": \"Zoë\"},\n  {\"N:ID\": 2, \"N:NAME\": \"Müller\"}\n]\n");
  EXPECT_EQ(twk({"dump", text, "--encoding", "latin1"}).out,
            "N:ID,N:NAME\n1,Zo\xEB\n2,M\xFCller\n");
  run = twk({"load", text, names, write("l.csv", "3,Jos\xE9\n"), "--encoding", "latin1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(twk({"dump", text, "--key", "1"}).exitCode, 1);  // the table has no key
}

TEST_F(TwkTest, BadInputsEndInAReasonAndAnExitCode) {
  const std::string schema = (dir_ / "schema.txt").string();
  const std::string rows = (dir_ / "rows.csv").string();
  const std::string folder = (dir_ / "folder").string();
  fs::create_directories(folder);
  const std::string empty = write("empty.twk", "");
  const std::string cut = write("cut.twk", "tArN");
  const std::string fresh = (dir_ / "fresh.twk").string();
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;  // a part of stderr (of stdout for verify's verdicts)
  };
  const Case cases[] = {
      {{"info", folder}, 1, ": is a folder, not a file"},
      {{"dump", folder}, 1, ": is a folder, not a file"},
      {{"verify", empty}, 1, "empty file: no Tarnwick header yet"},
      {{"dump", cut}, 1, ": not a Tarnwick file (Invalid Data File, 36)"},
      {{"load", cut, schema, rows}, 1, "cannot be opened for writing: not a Tarnwick file"},
      {{"load", fresh, schema, folder}, 1, "folder: is a folder, not a file"},
      {{"load", fresh, schema, write("bad.csv", "1,10\n2,many\n")}, 1, "line 2, field P:QTY"},
      {{"load", fresh, schema, write("bytes.csv", "1,\xFF\n")}, 1, "is no UTF-8"},
      {{"load", fresh, schema, write("h.csv", "P:ID,COLOUR\n1,2\n")},
       1,
       "\"COLOUR\" names no field of the table (P:ID, P:QTY)"},
      {{"load", fresh, schema, rows, "--encoding", "ebcdic"},
       2,
       "--encoding takes utf8 or latin1, not \"ebcdic\""},
      {{"load", data_ + "!PARTS",
        write("other.schema",
              "record 8\n"
              "field 1 P:ID LONG offset=0 size=4 places=0 dim=0\n"
              "field 2 P:QTY ULONG offset=4 size=4 places=0 dim=0\n"
              "key 1 P:BYID attributes=none components=+P:ID\n"),
        rows},
       1,
       "field 2 P:QTY type: the table has LONG, the schema says ULONG"},
      {{"dump", data_, "--format", "xml"}, 2, "--format takes csv or json, not \"xml\""},
      {{"dump", data_, "--colour"}, 2, "unknown option --colour"},
      {{"load", fresh, schema, rows, "--colour"}, 2, "unknown option --colour"},
      {{"help", "nosuch"}, 2, "no command \"nosuch\""},
      {{"pack", folder}, 1, ": is a folder, not a file"},
      {{"frobnicate"}, 2, "unknown command \"frobnicate\""},
  };
  for (const Case& c : cases) {
    const ToolOutput run = twk(c.arguments);
    const std::string where = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << where << "\n" << run.err;
    EXPECT_NE((run.err + run.out).find(c.message), std::string::npos) << where << "\n" << run.err;
  }
  // A failed load into a new file leaves no file behind.
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_FALSE(fs::exists(fresh + ".loading"));
}

TEST_F(TwkTest, PackKeepsTheRecordsAndHelpExplainsEachCommand) {
  const ToolOutput run = twk({"pack", data_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // So few records leave nothing to give back; the file stays as it was.
  EXPECT_EQ(run.out.rfind("already compact: ", 0), 0u) << run.out;
  EXPECT_EQ(twk({"dump", data_ + "!PARTS"}).out, "P:ID,P:QTY\n1,10\n2,20\n");
  EXPECT_EQ(twk({"verify", data_}).exitCode, 0);
  platform::File other;
  ASSERT_EQ(openAsAnotherProgram(other, platform::Share::DenyNone), 0);
  EXPECT_NE(twk({"pack", data_}).err.find("pack needs it alone"), std::string::npos);
  for (const char* command :
       {"info", "items", "verify", "tables", "schema", "dump", "load", "send", "pack"}) {
    const ToolOutput help = twk({"help", command});
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_EQ(help.out.rfind(std::string("usage: twk ") + command, 0), 0u) << help.out;
    EXPECT_GT(std::count(help.out.begin(), help.out.end(), '\n'), 3) << command;
  }
  EXPECT_NE(twk({"help", "load"}).out.find("field 1 T:ID LONG offset=0 size=4"), std::string::npos);
}

TEST_F(TwkTest, DumpSaysWhichRecordsItCouldNotReadAndFails) {
  {
    // The first record's item loses most of its bytes.
    tarnwick::TarnwickFile file;
    ASSERT_EQ(file.open(data_, tarnwick::OpenMode{}), 0);
    tarnwick::TableId id{};
    ASSERT_TRUE(tarnwick::findTable(file, "PARTS", id));
    tarnwick::Cursor cursor = file.cursor();
    ASSERT_TRUE(cursor.seek(tarnwick::bytesOf(tarnwick::kindPrefix(id, tarnwick::kRecordKind))));
    const std::vector<uint8_t> key(cursor.key().begin(), cursor.key().end());
    ASSERT_EQ(file.replace(key, std::vector<uint8_t>{1, 0, 0}), 0);
    ASSERT_EQ(file.commit(), 0);
  }
  const ToolOutput run = twk({"dump", data_ + "!PARTS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "P:ID,P:QTY\n2,20\n");
  EXPECT_NE(run.err.find("is damaged (its item has the wrong length)"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("1 of 2 records could not be dumped"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace zor::testing
