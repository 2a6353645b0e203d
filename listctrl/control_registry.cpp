// The process-wide registry of control records. Records are appended by Create and kept until program end,
// so pointers to them stay valid while a window procedure or an operation holds one.
#include <memory>

#include "listctrl/control_state.h"

namespace trr {
namespace {
std::vector<std::unique_ptr<ControlState>>& Registry() {
  static std::vector<std::unique_ptr<ControlState>> records;
  return records;
}
}  // namespace

ControlState* FindControlByList(HWND listWindow) {
  if (!listWindow) return nullptr;
  for (auto& record : Registry())
    if (record->listWindow == listWindow) return record.get();
  return nullptr;
}

ControlState* FindControlByParent(HWND parentWindow) {
  if (!parentWindow) return nullptr;
  for (auto& record : Registry())
    if (record->parentWindow == parentWindow) return record.get();
  return nullptr;
}

ControlState& RegisterControl() {
  Registry().push_back(std::make_unique<ControlState>());
  return *Registry().back();
}

std::vector<ControlState*> AllControls() {
  std::vector<ControlState*> all;
  for (auto& record : Registry()) all.push_back(record.get());
  return all;
}

}  // namespace trr
