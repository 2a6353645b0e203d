// Filling a control with many groups and rows in one pass. Each group is added as AddGroup adds it; its rows
// get their handles and their references to one shared avatar at once, in the order AddItem would give them,
// and their elements are left to be made when the group is first looked at.
#include <algorithm>
#include <memory>

#include "listctrl/control_state.h"
#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "listctrl/row_element.h"

namespace trr {
namespace {

// Rows of one group that share everything but their handle, name and number.
class TemplateRows final : public DeferredRows {
 public:
  TemplateRows(const RowData& rowTemplate, ItemHandle group, HBITMAP avatar, HBITMAP grey, int width, int height)
      : signature_(rowTemplate.signature), remark_(rowTemplate.remark) {
    common_.groupHandle = group;
    common_.nameColour = rowTemplate.nameColour;
    common_.online = rowTemplate.online;
    common_.avatar = avatar;
    common_.greyAvatar = grey;
    common_.avatarWidth = width;
    common_.avatarHeight = height;
  }

  // Takes the row's references to the shared bitmaps, as AddItem takes them for each row.
  void Add(ItemHandle handle, std::string_view name, std::string_view number) {
    ShareAvatar(common_.avatar);
    if (common_.greyAvatar) ShareAvatar(common_.greyAvatar);
    lowest_ = handles_.empty() ? handle : std::min(lowest_, handle);
    highest_ = handles_.empty() ? handle : std::max(highest_, handle);
    handles_.push_back(handle);
    text_.append(name);
    ends_.push_back(static_cast<uint32_t>(text_.size()));
    text_.append(number);
    ends_.push_back(static_cast<uint32_t>(text_.size()));
  }

  bool Holds(ItemHandle handle) const override {
    return handle >= lowest_ && handle <= highest_ &&
           std::find(handles_.begin(), handles_.end(), handle) != handles_.end();
  }

  void Make(ItemDocument& document, IXMLDOMElement* group) override {
    NewRow row = common_;
    row.signature = signature_;
    row.remark = remark_;
    for (size_t k = 0; k < handles_.size(); ++k) {
      row.handle = handles_[k];
      row.name = Field(2 * k);
      row.number = Field(2 * k + 1);
      if (!MakeRowElement(document, group, row)) ReleaseReferences(1);
    }
    handles_.clear();
  }

  void Discard() override {
    ReleaseReferences(handles_.size());
    handles_.clear();
  }

 private:
  std::string_view Field(size_t i) const {
    const uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  void ReleaseReferences(size_t rows) {
    for (size_t k = 0; k < rows; ++k) {
      ReleaseAvatarBitmap(common_.greyAvatar);
      ReleaseAvatarBitmap(common_.avatar);
    }
  }

  NewRow common_;
  std::string signature_;
  std::string remark_;
  std::vector<ItemHandle> handles_;
  std::string text_;             // names and numbers back to back
  std::vector<uint32_t> ends_;   // end of row k's name at 2k, of its number at 2k + 1
  ItemHandle lowest_ = 0;
  ItemHandle highest_ = 0;
};

}  // namespace

int GroupList::AddGroupsWithRows(const std::vector<GroupRows>& groups, const RowData& rowTemplate) {
  ControlState* state = State();
  if (!state) return 0;
  ScopedBatchUpdate batch(state->listWindow);
  // The picture is decoded (and greyed for offline rows) once, when the first row needs it, as the first
  // AddItem would; the fill's own references go at the end and every row keeps one of its own.
  bool decoded = false;
  HBITMAP avatar = nullptr;
  HBITMAP grey = nullptr;
  int width = 0;
  int height = 0;
  int added = 0;
  for (const GroupRows& group : groups) {
    const ItemHandle handle = AddGroup(std::string(group.title));
    if (!handle) continue;
    ++added;
    if (group.rows.empty() || rowTemplate.avatarPicture.empty()) continue;
    if (!decoded) {
      decoded = true;
      avatar = AcquireAvatar(rowTemplate.avatarPicture, &width, &height);
      if (avatar && !rowTemplate.online) grey = AcquireGreyAvatar(avatar);
    }
    if (!avatar) continue;  // AddItem would refuse every row
    auto rows = std::make_unique<TemplateRows>(rowTemplate, handle, avatar, grey, width, height);
    for (const RowText& row : group.rows) rows->Add(NewItemHandle(), row.name, row.number);
    state->document.Defer(handle, std::move(rows));
  }
  ReleaseAvatarBitmap(grey);
  ReleaseAvatarBitmap(avatar);
  return added;
}

}  // namespace trr
