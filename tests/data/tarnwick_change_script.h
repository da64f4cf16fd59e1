#pragma once
// Randomised changes for the storage engine's crash and fuzz tests, with the
// model (an ordered map) each change should leave behind.

#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/tarnwick_file.h"

namespace zor::tarnwick::testing {

// std::vector's byte order is the tree's key order: unsigned bytes, the
// shorter key first when one begins the other.
using ItemModel = std::map<std::vector<uint8_t>, std::vector<uint8_t>>;

struct ScriptOperation {
  bool erase = false;
  std::vector<uint8_t> key;
  std::vector<uint8_t> data;
};
using ScriptChange = std::vector<ScriptOperation>;

inline std::vector<uint8_t> scriptKey(uint32_t number) {
  // Keys share their first bytes the way table and record kind do.
  return {0,
          0,
          0,
          static_cast<uint8_t>(number % 3),
          243,
          static_cast<uint8_t>(number >> 8),
          static_cast<uint8_t>(number)};
}

// Changes over a small key space, so that items are removed and added again;
// now and then an item large enough to move its page to another zone.
inline std::vector<ScriptChange> makeScript(uint32_t seed, int changes, int maxOperations,
                                            uint32_t keySpace) {
  std::mt19937 random(seed);
  std::vector<ScriptChange> script(static_cast<size_t>(changes));
  for (ScriptChange& change : script) {
    const int count = 1 + static_cast<int>(random() % static_cast<uint32_t>(maxOperations));
    for (int i = 0; i < count; ++i) {
      ScriptOperation operation;
      operation.key = scriptKey(static_cast<uint32_t>(random() % keySpace));
      operation.erase = random() % 3 == 0;
      if (!operation.erase) {
        const uint32_t kind = static_cast<uint32_t>(random() % 20);
        const size_t length = kind == 0 ? 4000 + random() % 8000 : random() % 400;
        operation.data.resize(length);
        const auto fill = static_cast<uint8_t>(random());
        for (size_t j = 0; j < length; ++j) {
          operation.data[j] = j % 7 == 0 ? static_cast<uint8_t>(random()) : fill;
        }
      }
      change.push_back(std::move(operation));
    }
  }
  return script;
}

// A long change of `count` large items in ascending key order after every
// key of makeScript, as a load adds them: enough changed leaves to be sent
// home between its statements.
inline ScriptChange makeLongChange(uint32_t count, size_t length) {
  ScriptChange change(count);
  for (uint32_t i = 0; i < count; ++i) {
    change[i].key = {1, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    change[i].data.assign(length, static_cast<uint8_t>(i));
    for (size_t j = 0; j < length; j += 9) change[i].data[j] = static_cast<uint8_t>(i * 7 + j);
  }
  return change;
}

// Applies a change to the file (uncommitted) and to the model; answers the
// first unexpected error. Between operations the file is told that a
// statement ended, as a transaction's are.
inline int applyChange(TarnwickFile& file, const ScriptChange& change, ItemModel& model) {
  for (const ScriptOperation& operation : change) {
    file.store().keepChangeSmall();
    if (operation.erase) {
      const int error = file.erase(operation.key);
      if (error != (model.erase(operation.key) ? kOk : kItemNotFound))
        return error == 0 ? -1 : error;
    } else {
      if (const int error = file.put(operation.key, operation.data); error != 0) return error;
      model[operation.key] = operation.data;
    }
  }
  return kOk;
}

// Puts `count` items of `shortest` to `shortest + spread - 1` bytes into the
// file and the model, and commits them.
inline int fillFile(TarnwickFile& file, uint32_t count, size_t shortest, size_t spread,
                    ItemModel& model) {
  for (uint32_t i = 0; i < count; ++i) {
    const std::vector<uint8_t> data(shortest + i % spread, static_cast<uint8_t>(i));
    if (const int error = file.put(scriptKey(i), data); error != 0) return error;
    model[scriptKey(i)] = data;
  }
  return file.commit();
}

inline ItemModel readAll(TarnwickFile& file) {
  ItemModel items;
  Cursor cursor = file.cursor();
  for (bool more = cursor.first(); more; more = cursor.next()) {
    items.emplace(std::vector<uint8_t>(cursor.key().begin(), cursor.key().end()),
                  std::vector<uint8_t>(cursor.data().begin(), cursor.data().end()));
  }
  return items;
}

}  // namespace zor::tarnwick::testing
