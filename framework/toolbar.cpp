#include "framework/toolbar.h"

#include <algorithm>

#include "ui/properties.h"
#include "ui/statements.h"

namespace zor::fw {

namespace {

// The tips as the table stores them; the first entry repeats the tip of
// the next-record button.
const std::vector<std::pair<int, std::string>>& tipEntries() {
  static const std::vector<std::pair<int, std::string>> entries = {
      {ToolbarRequest::Down, "Go to the Next Record"},
      {ToolbarRequest::Insert, "Insert a new Record"},
      {ToolbarRequest::Bottom, "Go to the Last Page"},
      {ToolbarRequest::Top, "Go to the First Page"},
      {ToolbarRequest::PageDown, "Go to the Next Page"},
      {ToolbarRequest::PageUp, "Go to the Prior Page"},
      {ToolbarRequest::Down, "Go to the Next Record"},
      {ToolbarRequest::Up, "Go to the Prior Record"},
  };
  return entries;
}

}  // namespace

const std::vector<uint8_t>& Toolbar::TipTable() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> bytes;
    const auto& entries = tipEntries();
    bytes.push_back(static_cast<uint8_t>(entries.size()));
    bytes.push_back(static_cast<uint8_t>(entries.size() >> 8));
    for (const auto& [request, text] : entries) {
      bytes.push_back(static_cast<uint8_t>(request));
      bytes.push_back(static_cast<uint8_t>(request >> 8));
      bytes.push_back(static_cast<uint8_t>(text.size()));
      bytes.insert(bytes.end(), text.begin(), text.end());
    }
    return bytes;
  }();
  return table;
}

std::vector<std::pair<int, std::string>> Toolbar::Tips() {
  return tipEntries();
}

void Toolbar::Bind() {
  targets_.clear();
  current_ = nullptr;
  std::fill(std::begin(enabled_), std::end(enabled_), false);
}

void Toolbar::Release() {
  targets_.clear();
  current_ = nullptr;
}

void Toolbar::RegisterTarget(ToolbarTarget& target) {
  targets_.push_back(&target);
  if (current_ == nullptr) {
    current_ = &target;
    RefreshButtons();
  }
}

void Toolbar::SetTarget(int control) {
  for (ToolbarTarget* target : targets_) {
    if (target->Control() == control && target != current_) {
      current_ = target;
      RefreshButtons();
      return;
    }
  }
}

bool Toolbar::HandleEvent(int request) {
  if (!isToolbarRequest(request) || current_ == nullptr) return false;
  current_->HandleToolbar(request);
  RefreshButtons();
  return true;
}

void Toolbar::RefreshButtons() {
  if (current_ != nullptr) current_->RefreshButtons(*this);
}

void Toolbar::SetButtonEnabled(int request, bool enabled) {
  if (isToolbarRequest(request)) enabled_[request - ToolbarRequest::First] = enabled;
}

bool Toolbar::ButtonEnabled(int request) const {
  return isToolbarRequest(request) && enabled_[request - ToolbarRequest::First];
}

void Toolbar::Display() const {
  for (int request = ToolbarRequest::First; request <= ToolbarRequest::Last; ++request) {
    ui::setProperty(request, ui::PROP::Disable, ButtonEnabled(request) ? "" : "1");
  }
  for (const auto& [request, text] : tipEntries()) {
    ui::setProperty(request, ui::PROP::Tip, text);
  }
}

}  // namespace zor::fw
