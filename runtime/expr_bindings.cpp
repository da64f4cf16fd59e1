#include "runtime/expr_bindings.h"

#include "runtime/error_state.h"
#include "runtime/expr_errors.h"
#include "runtime/string_functions.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

// A STRING variable that owns its bytes.
struct OwnedText {
  std::vector<uint8_t> bytes;
  std::unique_ptr<Ufo> field;
};

}  // namespace

std::string upperName(std::string_view name) {
  std::string upper;
  upperText(name, upper);
  return upper;
}

Bindings::Bindings() {
  pushBind();
}

Bindings Bindings::showingThrough(const Bindings& outer) {
  Bindings bindings = outer;
  for (Scope& scope : bindings.scopes_) scope.alive.reset();  // the outer ones keep theirs
  bindings.pushBind();
  return bindings;
}

void Bindings::bind(std::string_view name, std::shared_ptr<Ufo> field) {
  Scope& scope = innermost();
  scope.names.insert_or_assign(upperName(name), Binding{std::move(field), scope.alive});
}

void Bindings::bind(std::string_view name, Ufo& field) {
  bind(name, std::shared_ptr<Ufo>(&field, [](Ufo*) {}));
}

void Bindings::bind(std::string_view name, uint8_t type, void* address, size_t size,
                    unsigned places) {
  bind(name, std::shared_ptr<Ufo>(makeUfo(type, address, size, places)));
}

void Bindings::bindField(const FieldDescriptor& field, uint8_t* record) {
  bind(field.name, field.type, record + field.offset, field.size, field.places);
}

size_t Bindings::bindRecord(const RecordLayout& layout, uint8_t* record) {
  size_t bound = 0;
  for (const FieldDescriptor& field : layout) {
    bool readable = (field.type >= kByte && field.type <= kPDecimal) || field.type == kBFloat4 ||
                    field.type == kBFloat8 || field.type == kAny || isStringType(field.type);
    if (!readable || !field.dimensions.empty() || field.name == nullptr || *field.name == 0) {
      continue;
    }
    bindField(field, record);
    ++bound;
  }
  return bound;
}

void Bindings::bindText(std::string_view name, std::string_view value) {
  auto owned = std::make_shared<OwnedText>();
  owned->bytes.assign(value.begin(), value.end());
  owned->bytes.push_back(0);  // never a zero-sized buffer
  owned->field = makeUfo(kString, owned->bytes.data(), value.size());
  Ufo* field = owned->field.get();
  bind(name, std::shared_ptr<Ufo>(std::move(owned), field));
}

bool Bindings::unbind(std::string_view name) {
  std::string key = upperName(name);
  for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
    if (scope->names.erase(key) != 0) return true;
    if (scope->hidesOuter) break;
  }
  return false;
}

void Bindings::pushBind(bool hideOuter) {
  Scope scope;
  scope.hidesOuter = hideOuter;
  scope.alive = std::make_shared<char>(0);
  scopes_.push_back(std::move(scope));
}

bool Bindings::popBind() {
  if (scopes_.size() <= 1) {
    setErrorCode(kErrorMismatchedPushBind);
    return false;
  }
  scopes_.pop_back();
  return true;
}

const Bindings::Binding* Bindings::find(std::string_view name) const {
  std::string key = upperName(name);
  for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
    auto found = scope->names.find(key);
    if (found != scope->names.end()) return &found->second;
    if (scope->hidesOuter) break;
  }
  return nullptr;
}

Bindings& threadBindings() {
  thread_local Bindings bindings;
  return bindings;
}

}  // namespace zor
