#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "platform/ini_document.h"
#include "platform/threads.h"
#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

using testing::TempDir;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void spill(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class Profile : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string ini_ = dir_.file("app.ini");
};

TEST_F(Profile, MissingFileIsCreatedOnTheFirstWriteOnly) {
  EXPECT_EQ(getPrivateProfileString("Main", "XPos", "none", ini_), "none");
  EXPECT_EQ(getPrivateProfileInt("Main", "XPos", -7, ini_), -7);
  EXPECT_TRUE(deletePrivateProfileKey("Main", "XPos", ini_));
  EXPECT_FALSE(fileExists(ini_));
  ASSERT_TRUE(writePrivateProfileString("Main", "XPos", "12", ini_));
  EXPECT_EQ(slurp(ini_), "[Main]\nXPos=12\n");
  EXPECT_EQ(getPrivateProfileInt("main", "xpos", 0, ini_), 12);
}

TEST_F(Profile, EditsPreserveEveryOtherLine) {
  const std::string original =
      "; settings of the program\r\n"
      "\r\n"
      "[Main]\r\n"
      "Maximize = No\r\n"
      "; position follows\r\n"
      "XPos=10\r\n"
      "\r\n"
      "[Other]\r\n"
      "Kept=yes\r\n";
  spill(ini_, original);
  ASSERT_TRUE(writePrivateProfileString("MAIN", "maximize", "Yes", ini_));
  ASSERT_TRUE(writePrivateProfileString("main", "YPos", "20", ini_));
  ASSERT_TRUE(writePrivateProfileString("New", "Key", "v", ini_));
  EXPECT_EQ(slurp(ini_),
            "; settings of the program\r\n"
            "\r\n"
            "[Main]\r\n"
            "Maximize = Yes\r\n"  // the key's spelling and the blanks around "=" stay
            "; position follows\r\n"
            "XPos=10\r\n"
            "YPos=20\r\n"  // after the section's last key, in the file's own line breaks
            "\r\n"
            "[Other]\r\n"
            "Kept=yes\r\n"
            "\r\n"
            "[New]\r\n"
            "Key=v\r\n");
  ASSERT_TRUE(deletePrivateProfileKey("Main", "YPos", ini_));
  ASSERT_TRUE(writePrivateProfileString("Main", "Maximize", "No", ini_));
  ASSERT_TRUE(deletePrivateProfileSection("new", ini_));
  EXPECT_EQ(slurp(ini_), original + "\r\n");
}

TEST_F(Profile, ReadingTrimsBlanksAndOnePairOfQuotes) {
  spill(ini_,
        "[S]\n"
        "plain =   spaced value  \n"
        "double=\"  quoted  \"\n"
        "single='x'\n"
        "mismatched=\"x'\n"
        "nested=\"\"inner\"\"\n"
        "number= -42abc\n"
        "huge=99999999999999\n"
        "empty=\n");
  EXPECT_EQ(getPrivateProfileString("s", "PLAIN", "", ini_), "spaced value");
  EXPECT_EQ(getPrivateProfileString("S", "double", "", ini_), "  quoted  ");
  EXPECT_EQ(getPrivateProfileString("S", "single", "", ini_), "x");
  EXPECT_EQ(getPrivateProfileString("S", "mismatched", "", ini_), "\"x'");
  EXPECT_EQ(getPrivateProfileString("S", "nested", "", ini_), "\"inner\"");
  EXPECT_EQ(getPrivateProfileString("S", "empty", "fallback", ini_), "");
  EXPECT_EQ(getPrivateProfileInt("S", "number", 0, ini_), -42);
  EXPECT_EQ(getPrivateProfileInt("S", "huge", 0, ini_), INT_MAX);
  EXPECT_EQ(getPrivateProfileInt("S", "plain", 5, ini_), 0);  // present, not a number
  EXPECT_EQ(getPrivateProfileInt("S", "empty", 5, ini_), 5);  // present, empty
}

TEST_F(Profile, ListsSectionsAndKeysOnceEach) {
  spill(ini_, "[A]\nx=1\ny=2\n[b]\nz=3\n[a]\nX=4\nw=5\n");
  EXPECT_EQ(privateProfileSectionNames(ini_), (std::vector<std::string>{"A", "b"}));
  EXPECT_EQ(privateProfileKeys("a", ini_), (std::vector<std::string>{"x", "y", "w"}));
  // The first of duplicate sections and keys answers, and is the one written.
  EXPECT_EQ(getPrivateProfileString("a", "x", "", ini_), "1");
  EXPECT_EQ(getPrivateProfileString("a", "w", "", ini_), "5");
  ASSERT_TRUE(deletePrivateProfileKey("A", "x", ini_));
  EXPECT_EQ(getPrivateProfileString("a", "x", "gone", ini_), "gone");
  ASSERT_TRUE(deletePrivateProfileSection("A", ini_));
  EXPECT_EQ(slurp(ini_), "[b]\nz=3\n");
  EXPECT_TRUE(privateProfileKeys("missing", ini_).empty());
}

TEST_F(Profile, MalformedFilesAreReadAndKeptAsTheyAre) {
  const std::string longLine(100000, 'x');
  const std::string junk("\x01\xff\0\x7f=\x80", 6);
  const std::string original = "no equals sign here\n[Broken\n" + longLine + "=long\n" + junk +
                               "\n[]\n=novalue\n[Good]\r\nk=v\n  [ Spaced ]  \nq = r";
  spill(ini_, original);
  EXPECT_EQ(getPrivateProfileString("Good", "k", "", ini_), "v");
  EXPECT_EQ(getPrivateProfileString("Spaced", "q", "", ini_), "r");  // no line break at the end
  EXPECT_EQ(getPrivateProfileString("Broken", longLine, "none", ini_), "none");
  ASSERT_TRUE(writePrivateProfileString("Spaced", "added", "1", ini_));
  EXPECT_EQ(slurp(ini_), original + "\nadded=1\n");
  ASSERT_TRUE(writePrivateProfileString("Good", "k", "w", ini_));
  EXPECT_EQ(getPrivateProfileString("Good", "k", "", ini_), "w");
  EXPECT_NE(slurp(ini_).find(longLine + "=long\n" + junk + "\n"), std::string::npos);
}

TEST_F(Profile, RefusesEntriesThatWouldNotReadBack) {
  spill(ini_, "[S]\nk=v\n");
  EXPECT_FALSE(writePrivateProfileString("S", "k", "two\nlines", ini_));
  EXPECT_FALSE(writePrivateProfileString("S", "a=b", "v", ini_));
  EXPECT_FALSE(writePrivateProfileString("S", "[k]", "v", ini_));
  EXPECT_FALSE(writePrivateProfileString("S", "", "v", ini_));
  EXPECT_FALSE(writePrivateProfileString("S\r\n[T]", "k", "v", ini_));
  EXPECT_EQ(slurp(ini_), "[S]\nk=v\n");
  EXPECT_TRUE(writePrivateProfileString("S]x", "k", "v", ini_));  // "]" in a name reads back
  EXPECT_EQ(getPrivateProfileString("s]X", "K", "", ini_), "v");
}

TEST_F(Profile, FilesThatCannotBeReadAreNotOverwritten) {
  EXPECT_FALSE(writePrivateProfileString("S", "k", "v", dir_.file("no/such/folder.ini")));
  const std::string folder = dir_.file("folder.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_FALSE(writePrivateProfileString("S", "k", "v", folder));
  EXPECT_EQ(getPrivateProfileString("S", "k", "none", folder), "none");
  if (geteuid() == 0) return;  // permissions do not bind root
  spill(ini_, "[S]\nk=secret\n");
  chmod(ini_.c_str(), 0200);
  EXPECT_FALSE(writePrivateProfileString("S", "other", "v", ini_));
  chmod(ini_.c_str(), 0600);
  EXPECT_EQ(slurp(ini_), "[S]\nk=secret\n");
}

TEST_F(Profile, WritesReplaceTheFileAtomicallyAndKeepItsLinkAndMode) {
  spill(ini_, "[S]\nk=1\n");
  chmod(ini_.c_str(), 0640);
  const std::string link = dir_.file("link.ini");
  ASSERT_EQ(symlink(ini_.c_str(), link.c_str()), 0);
  ASSERT_TRUE(writePrivateProfileString("S", "k", "2", link));
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(ini_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(slurp(ini_), "[S]\nk=2\n");
  // Nothing but the two names is left in the folder (no temporary files).
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u);
}

TEST_F(Profile, ConcurrentWritersOfOneProcessLoseNothing) {
  constexpr int kThreads = 4, kKeys = 10;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.push_back(startThread([&, t] {
      for (int k = 0; k < kKeys; ++k) {
        writePrivateProfileString("T" + std::to_string(t), "k" + std::to_string(k), "v", ini_);
      }
    }));
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(privateProfileKeys("t" + std::to_string(t), ini_).size(), size_t(kKeys));
  }
}

TEST_F(Profile, ConcurrentWritersOfSeveralProcessesLoseNothing) {
  constexpr int kProcesses = 3, kKeys = 5;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int k = 0; k < kKeys; ++k) {
        writePrivateProfileString("P" + std::to_string(p), "k" + std::to_string(k), "v", ini_);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t child : children) waitpid(child, nullptr, 0);
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(privateProfileKeys("p" + std::to_string(p), ini_).size(), size_t(kKeys));
  }
}

TEST_F(Profile, UserProfileFollowsTheOverrideAndCreatesItsFolder) {
  const std::string path = dir_.file("config/zorvane/profile.ini");
  setUserProfilePath(path);
  EXPECT_EQ(userProfilePath(), path);
  EXPECT_EQ(getProfileString("intl", "sShortDate", "MM/dd/yy"), "MM/dd/yy");
  ASSERT_TRUE(writeProfileString("intl", "sShortDate", "dd.MM.yyyy"));
  EXPECT_EQ(getProfileString("INTL", "sshortdate", ""), "dd.MM.yyyy");
  EXPECT_EQ(slurp(path), "[intl]\nsShortDate=dd.MM.yyyy\n");
  setUserProfilePath("");
  EXPECT_NE(userProfilePath(), path);
}

TEST(IniDocument, KeepsTextWithoutAnyEditByteForByte) {
  const std::string texts[] = {"",
                               "\n",
                               "x",
                               "[a]\r\nb=c",
                               "\r\r\n[\n]\n==\n;;\n\t[ t ]\t\n",
                               std::string("\0[a]\0\n", 6),
                               "\xEF\xBB\xBF[a]\nb=c\n"};
  for (const std::string& text : texts) EXPECT_EQ(IniDocument(text).text(), text);
  // A UTF-8 byte order mark does not hide the first section.
  EXPECT_EQ(IniDocument("\xEF\xBB\xBF[a]\nb=c\n").value("A", "B"), "c");
}

TEST(IniDocument, KeyInASectionWithoutKeysGoesRightAfterItsHeader) {
  IniDocument document("[A]\n; only a comment\n\n[B]\n");
  ASSERT_TRUE(document.set("a", "k", "v"));
  EXPECT_EQ(document.text(), "[A]\nk=v\n; only a comment\n\n[B]\n");
  // Comments just before the next header stay with it when A goes.
  IniDocument two("[A]\nk=v\n\n; about B\n[B]\nx=1\n");
  ASSERT_TRUE(two.removeSection("A"));
  EXPECT_EQ(two.text(), "\n; about B\n[B]\nx=1\n");
}

}  // namespace
}  // namespace zor::platform
