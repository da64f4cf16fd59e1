#pragma once
// The names an expression can use: BIND, UNBIND, PUSHBIND and POPBIND.
// A name is bound to a field object, so that a filter reads a record
// buffer's field directly. Names compare without case. PUSHBIND opens a new
// scope; names bound after it disappear again at POPBIND. A scope can hide
// the outer names (a procedure that wants only its own) or let them show
// through.
//
// An expression compiled against a scope notices when that scope has been
// popped (its fields may live in memory that is gone) and refuses to
// evaluate with error 1014 instead of reading through a stale field.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/field_descriptor.h"
#include "runtime/ufo.h"

namespace zor {

class Bindings {
 public:
  // What a name resolves to: the field, and the liveness token of the scope
  // it was bound in.
  struct Binding {
    std::shared_ptr<Ufo> field;
    std::weak_ptr<const void> scope;
  };

  Bindings();
  // New bindings through which the names `outer` shows now show, under an
  // innermost scope of their own. They do not keep the outer scopes alive:
  // an expression compiled against them still notices when `outer` pops the
  // scope that bound a name it reads.
  static Bindings showingThrough(const Bindings& outer);

  // Binding a name again in the same scope replaces the earlier binding.
  void bind(std::string_view name, std::shared_ptr<Ufo> field);
  // Borrows the field object: it must outlive the binding and every
  // expression compiled with it.
  void bind(std::string_view name, Ufo& field);
  // Makes the field object for (type, address, size, places).
  void bind(std::string_view name, uint8_t type, void* address, size_t size, unsigned places = 0);
  // Binds one field of a record buffer under its label ("SEC:ID").
  void bindField(const FieldDescriptor& field, uint8_t* record);
  // Binds every field of the layout that a field object can read (not MEMO,
  // BLOB or dimensioned fields); returns how many were bound.
  size_t bindRecord(const RecordLayout& layout, uint8_t* record);
  // Binds a STRING variable of its own holding `value`.
  void bindText(std::string_view name, std::string_view value);

  // Removes the name from the innermost scope that has it; false if none.
  bool unbind(std::string_view name);

  void pushBind(bool hideOuter = false);
  // False and error 1012 when no PUSHBIND is open.
  bool popBind();
  size_t depth() const { return scopes_.size() - 1; }

  // Innermost visible binding of the name, or nullptr.
  const Binding* find(std::string_view name) const;

 private:
  struct Scope {
    std::map<std::string, Binding, std::less<>> names;  // keys in upper case
    bool hidesOuter = false;
    std::shared_ptr<const void> alive;
  };
  Scope& innermost() { return scopes_.back(); }

  std::vector<Scope> scopes_;
};

// The current thread's bindings, used by BIND and by EVALUATE.
Bindings& threadBindings();

std::string upperName(std::string_view name);

}  // namespace zor
