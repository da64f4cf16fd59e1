#pragma once
// VIEW: reading a primary table, with tables joined through their keys, in
// an order and through a filter, the way the runtime language's VIEW
// statements do. The driver does not serve views (the native one answers
// QUERY_VIEW with 0), so the engine carries them out with the table
// statements (file_statements.h).
//
//   View view(setupIni);                           // the primary table
//   view.join(sections, sections.keys[0], {"SIN:INISECTION"});  // outer
//   view.open();                                   // 37 unless the tables are open
//   view.setOrder("+UPPER(SIN:INISECTION)");       // served by SIN:P_Section
//   view.setFilter("UPPER(SIN:INISECTION) = UPPER('Graphics') AND (SIN:STATUS = 1)");
//   view.set();
//   while (view.next() == 0) { ... the record buffers hold the row ...;
//                               view.position(rowPosition); }
//   view.reset(rowPosition); view.next();          // that row again
//   view.close();
//
// Every statement returns the error number it ends with and leaves it as
// the current ERRORCODE() (0 clears it): 37 on a view that is not open, 52
// on opening it twice, 76 for an order text that names no field of the
// view, the evaluator's 1010-1015 for a filter that does not compile
// (filterError() adds the position), 33 when NEXT or PREVIOUS passes the
// end, and the driver's numbers otherwise.
//
// Order: the first key of the primary table whose leading components are
// the order's, with the same directions (or all opposite: the key is read
// backward) and UPPER() exactly on the text components of a NOCASE key,
// gives the order; a key with more components serves too. Records that an
// OPT key leaves out are then not in the view, and a key read backward
// gives records whose key values tie in reverse record order. When no key
// serves the order, the records that pass the filter are read (through the
// key that bounds the filter best, else in record order) and their
// pointers sorted in memory; set, setEnd and setFromBuffer read them
// again, reset does not. An empty order is record order.
//
// Filter: compiled once, against the fields of the view's tables bound
// under their labels ("SIN:INISECTION"; the thread's own bindings show
// through), and tested on every record read. Its top-level AND terms that
// compare leading components of the order's key with constants become the
// bounds of the stretch of the key the view reads (view_range.h): it seeks
// to the start of the range and stops at its end, so a view over ten
// records of a large table reads about ten records.
//
// Reading: set() stands before the first record, setEnd() after the last;
// next() and previous() read on from where the view stands (after reading
// a record, previous() reads the one before it). After next() answers 33
// the view stands after the last record, after previous() answers 33
// before the first. setFromBuffer(n) stands at the values in the record
// buffers of the first n order components (0: all): next() reads the first
// record at or after them, previous() the last at or before them. Without
// an order it stands at the primary table's current record.
//
// Positions: position() describes the row last read (or regot) in a text
// of at most 10 bytes and the order key's length; reset() stands at it so
// that next() and previous() both read that row (or, when it is gone, its
// neighbours); reget() reads that row's record again into the buffers
// without moving the view. A position taken in another order still names
// its record, and positionOfRecord() names a record by its pointer.
//
// A view belongs to one thread, as do its tables' control blocks; nothing
// of it is shared.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_control_block.h"
#include "data/view_join.h"
#include "data/view_order.h"
#include "data/view_range.h"
#include "data/view_sort.h"
#include "runtime/expression.h"

namespace zor::data {

class View {
 public:
  explicit View(FileControlBlock& primary);
  ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // JOIN(key, linking fields): the joined table's record is the first whose
  // leading key components equal the linking fields' values (labels of
  // fields of the primary or of a table joined before). Before open: 52
  // after it, 47 when the key is not the table's or a label is unknown.
  int join(FileControlBlock& table, KeyBlock& key, const std::vector<std::string>& linkingFields,
           JoinKind kind = JoinKind::kOuter);

  int open();
  int close();
  bool isOpen() const { return open_; }

  // PROP:Order and PROP:Filter; either may be set before or after open,
  // and the view then stands before its first record.
  int setOrder(std::string_view order);
  int setFilter(std::string_view filter);
  const std::string& order() const { return orderText_; }
  const std::string& filter() const { return filterText_; }
  const ExprError& filterError() const { return filterError_; }

  int set();
  int setEnd();
  int setFromBuffer(size_t components = 0);
  int next();
  int previous();

  int position(std::string& position);
  int reset(const std::string& position);
  int reget(const std::string& position);
  static std::string positionOfRecord(uint32_t pointer);

  // RECORDS where it costs no scan: without a filter or an inner join the
  // driver's count of the table (or of the key that gives the order); for
  // a sorted view the rows sorted last. 80 otherwise.
  int records(int64_t& count);

  // How the view reads: the key it walks (its order's, or the one that
  // bounds the scan of a sorted view; nullptr in record order), whether it
  // sorts in memory, and how many leading key components the filter bounds.
  const KeyBlock* readingKey();
  bool sortsInMemory();
  size_t boundComponents();

 private:
  enum class Mode : uint8_t { kRecordOrder, kKey, kSorted };
  enum class Seek : uint8_t { kNone, kStart, kEnd, kValues, kPosition };

  int read(bool forward);
  int readSorted(bool forward);
  int seek(bool forward);
  int seekEdge(bool physicalForward);
  int setKeyAt(const std::vector<uint8_t>& image, const uint32_t* pointer);
  int placeSorted(bool forward);
  int sortRows();
  int admit(bool& accepted, bool filter = true);
  void plan();
  void standAt(Seek seek);
  std::vector<const uint8_t*> orderSources() const;
  std::vector<const FileControlBlock*> tables() const;

  FileControlBlock& primary_;
  std::vector<std::unique_ptr<ViewJoin>> joins_;
  bool open_ = false;

  std::string orderText_;
  std::vector<OrderComponent> order_;
  std::string filterText_;
  Bindings bindings_;
  Expression filter_;
  bool filtered_ = false;
  ExprError filterError_;

  // The reading plan, made again after a change of order or filter.
  bool planned_ = false;
  Mode mode_ = Mode::kRecordOrder;
  KeyBlock* key_ = nullptr;
  bool backward_ = false;  // the key is read against its own direction
  KeyRange range_;

  // Where the view stands until its next read decides the direction.
  Seek seek_ = Seek::kStart;
  std::vector<uint8_t> seekValues_;  // kValues: a record image (sorted: the order values)
  size_t seekComponents_ = 0;
  bool seekExact_ = false;  // kValues: at the record seekPointer_ itself
  uint32_t seekPointer_ = 0;
  std::string seekPosition_;  // kPosition on a key: the driver's position

  SortedRows rows_;
  bool sorted_ = false;  // rows_ holds the rows of the current plan
  size_t nextRow_ = 0;   // the row next() reads (rows_.size(): none)
  size_t prevRow_ = 0;   // one past the row previous() reads (0: none)

  bool current_ = false;  // a row was read (or regot) and not yet left
  uint32_t currentPointer_ = 0;
  std::vector<uint8_t> scratch_;
  std::vector<uint8_t> saved_;
};

}  // namespace zor::data
