#pragma once
// Shared pieces of the tests that run several processes on one table: forked
// children that start together and hand back a text, memory the children
// share with the test, and a small "ledger" table worked through the FILE
// statements (an id key, a sequence number, a value and a check field, and
// optionally a blob).

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "data/blob_statements.h"
#include "data/file_declaration.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/open_mode.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/tarnwick_file.h"
#include "runtime/type_codes.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {

// How a child ended: its exit code (128 + signal when killed) and the text
// it handed back.
struct ChildOutcome {
  int status = 0;
  std::string output;
};

inline int statusOf(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Runs body(index, output) in `count` forked processes that all wait at a
// gate until every one is forked, so that they really work at once. A child
// ends with the body's answer; an escaping exception (the fatal-error hook
// throws) ends it with 99. Children must open their own files: an open file
// inherited through fork shares its locks with the parent.
inline std::vector<ChildOutcome> runTogether(
    int count, const std::function<int(int index, std::string& output)>& body) {
  int gate[2];
  if (::pipe(gate) != 0) std::abort();
  std::vector<pid_t> pids;
  std::vector<int> outputs;
  for (int index = 0; index < count; ++index) {
    int out[2];
    if (::pipe(out) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      ::close(out[0]);
      char byte;
      (void)!::read(gate[0], &byte, 1);  // the end of the pipe opens the gate
      std::string output;
      int code = 99;
      try {
        code = body(index, output);
      } catch (const std::exception& fault) {
        output += std::string("stopped by: ") + fault.what();
      }
      size_t done = 0;
      while (done < output.size()) {
        const ssize_t n = ::write(out[1], output.data() + done, output.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      ::_exit(code);
    }
    ::close(out[1]);
    pids.push_back(pid);
    outputs.push_back(out[0]);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  std::vector<ChildOutcome> outcomes(static_cast<size_t>(count));
  for (size_t i = 0; i < outcomes.size(); ++i) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(outputs[i], buffer, sizeof buffer)) > 0)
      outcomes[i].output.append(buffer, static_cast<size_t>(n));
    ::close(outputs[i]);
    int status = 0;
    ::waitpid(pids[i], &status, 0);
    outcomes[i].status = statusOf(status);
  }
  return outcomes;
}

inline void expectAllSucceeded(const std::vector<ChildOutcome>& outcomes) {
  for (size_t i = 0; i < outcomes.size(); ++i)
    EXPECT_EQ(outcomes[i].status, 0) << "child " << i << ": " << outcomes[i].output;
}

// One object in memory shared with forked children (anonymous shared map).
template <class T>
class SharedMemory {
 public:
  SharedMemory() {
    void* at =
        ::mmap(nullptr, sizeof(T), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) std::abort();
    object_ = new (at) T();
  }
  ~SharedMemory() {
    object_->~T();
    ::munmap(object_, sizeof(T));
  }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;
  T* operator->() { return object_; }
  T& operator*() { return *object_; }

 private:
  T* object_ = nullptr;
};

// Many rounds under ZOR_LONG_TESTS, fewer otherwise; unoptimised builds
// (the sanitizing one among them) run a quarter of the normal rounds.
inline int roundsFor(int normal, int longRun) {
  if (std::getenv("ZOR_LONG_TESTS") != nullptr) return longRun;
#ifdef NDEBUG
  return normal;
#else
  return normal / 4;
#endif
}

// One record of the ledger table.
struct Entry {
  int32_t id = 0;
  uint32_t seq = 0;
  int32_t value = 0;
  uint32_t check = 0;
  bool operator==(const Entry&) const = default;
};

// The check field a writer stores beside a value, so that a reader can tell
// a record written whole from one pieced together.
inline uint32_t checkOf(int32_t id, uint32_t seq, int32_t value) {
  uint32_t h = 2166136261u;
  for (uint32_t part : {static_cast<uint32_t>(id), seq, static_cast<uint32_t>(value)}) {
    for (int shift = 0; shift < 32; shift += 8) h = (h ^ ((part >> shift) & 0xFF)) * 16777619u;
  }
  return h;
}

inline Entry entryOf(int32_t id, uint32_t seq, int32_t value) {
  return {id, seq, value, checkOf(id, seq, value)};
}

// Blob contents that depend on the record and its sequence number and do
// not pack, so that they spread over pages of their own.
inline std::string blobOf(int32_t id, uint32_t seq, size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = checkOf(id, seq, 0) | 1u;
  for (char& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state);
  }
  return bytes;
}

namespace st = data::statement;

// The ledger table through one FILE control block (one station).
class Ledger {
 public:
  explicit Ledger(const std::string& path, bool withBlob = false) {
    data::FileDeclaration declaration;
    declaration.label = "Ledger";
    declaration.prefix = "L";
    declaration.driver = "TARNWICK";
    declaration.name = path;
    declaration.recordSize = 16;
    declaration.fields = {makeField("L:ID", kLong, 0, 4), makeField("L:SEQ", kULong, 4, 4),
                          makeField("L:VALUE", kLong, 8, 4), makeField("L:CHECK", kULong, 12, 4)};
    declaration.keys = {{"L:IDKEY", {"L:ID"}, 0, ""}};
    if (withBlob) {
      data::MemoBlock blob;
      blob.label = "L:DATA";
      blob.attributes = data::kMemoBlob | data::kMemoBinary;
      declaration.memos = {blob};
    }
    declared_ = data::declareFile(fcb_, declaration);
  }
  ~Ledger() { st::close(fcb_); }
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  data::FileControlBlock& fcb() { return fcb_; }
  data::KeyBlock& idKey() { return fcb_.keys[0]; }

  int create() { return declared_ != 0 ? declared_ : st::create(fcb_); }
  int open(uint32_t mode = st::kReadWriteDenyNone) {
    return declared_ != 0 ? declared_ : st::open(fcb_, mode);
  }
  int close() { return st::close(fcb_); }

  Entry entry() const {
    Entry e;
    std::memcpy(&e, fcb_.record.data(), sizeof e);
    return e;
  }
  void setEntry(const Entry& e) { std::memcpy(fcb_.record.data(), &e, sizeof e); }

  // GET by the id key; `hold` and `watch` ask for them first.
  int get(int32_t id, bool hold = false, bool watch = false) {
    Entry key;
    key.id = id;
    setEntry(key);
    if (hold) st::hold(fcb_);
    if (watch) st::watch(fcb_);
    return st::get(fcb_, idKey());
  }
  // Writes `e` (and the blob when given) as a new record; `number` gets its
  // record number.
  int add(const Entry& e, uint32_t* number = nullptr, const std::string* blob = nullptr) {
    setEntry(e);
    if (blob != nullptr) {
      if (const int error = st::blobWrite(fcb_, 1, *blob); error != 0) return error;
    }
    const int error = st::add(fcb_);
    if (error == 0 && number != nullptr) st::pointer(fcb_, *number);
    return error;
  }
  int put(const Entry& e, const std::string* blob = nullptr) {
    setEntry(e);
    if (blob != nullptr) {
      if (const int error = st::blobWrite(fcb_, 1, *blob); error != 0) return error;
    }
    return st::put(fcb_);
  }
  std::string blob() {
    std::string bytes;
    st::blobRead(fcb_, 1, bytes);
    return bytes;
  }

  // Every record in key order; `error` gets the first unexpected answer.
  std::vector<Entry> all(int* error = nullptr) {
    std::vector<Entry> entries;
    int answer = st::set(fcb_, idKey());
    while (answer == 0 && (answer = st::next(fcb_)) == 0) entries.push_back(entry());
    if (error != nullptr) *error = answer == data::kErrRecordNotAvailable ? 0 : answer;
    return entries;
  }

 private:
  data::FileControlBlock fcb_;
  int declared_ = 0;
};

// The structural and the logical check of a closed file; one text per problem.
inline std::vector<std::string> problemsOf(const std::string& path) {
  std::vector<std::string> problems = checkTables(path).problems;
  TarnwickFile file;
  if (const int error = file.open(path, OpenMode::fromWord(0x40)); error != 0) {
    problems.push_back("open for the survey answered " + std::to_string(error));
    return problems;
  }
  for (auto& problem : surveyFile(file.store()).problems) problems.push_back(std::move(problem));
  return problems;
}

inline void expectSoundFile(const std::string& path) {
  for (const auto& problem : problemsOf(path)) ADD_FAILURE() << path << ": " << problem;
}

// A fresh folder for one test's files.
inline std::string freshFolder(const std::string& name) {
  const std::string folder = scratchPath(name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace zor::tarnwick::testing
