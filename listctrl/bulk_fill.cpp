// Filling a control with groups and their rows in one pass: many groups at the end (a whole directory), or one
// group at a given place (a group its owner keeps above the others), and removing such a group again.
//
// Each group is added as AddGroup adds it; its rows get their handles at once, in the order AddItem would give
// them, and the elements of a collapsed group's rows and their references to the one shared avatar are made
// when the group is first looked at. The avatar itself is decoded then too: decoding loads the imaging
// components, a cost that a fill done before its window shows should not carry.
#include <algorithm>
#include <memory>

#include "listctrl/avatar_flash.h"
#include "listctrl/control_state.h"
#include "listctrl/group_rows.h"
#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "listctrl/row_element.h"

namespace trr {
namespace {

// The avatar of every row of one fill, decoded (and greyed for offline rows) once, when the first row is made.
// It holds one reference to each bitmap until the last group of the fill is made or discarded.
class FillPicture {
 public:
  FillPicture(std::string bytes, bool grey) : bytes_(std::move(bytes)), wantGrey_(grey) {}
  FillPicture(const FillPicture&) = delete;
  FillPicture& operator=(const FillPicture&) = delete;
  ~FillPicture() {
    ReleaseAvatarBitmap(grey_);
    ReleaseAvatarBitmap(avatar_);
  }

  // False when the bytes are no picture: AddItem would refuse such rows.
  bool Decode() {
    if (!tried_) {
      tried_ = true;
      avatar_ = AcquireAvatar(bytes_, &width_, &height_);
      if (avatar_ && wantGrey_) grey_ = AcquireGreyAvatar(avatar_);
      std::string().swap(bytes_);
    }
    return avatar_ != nullptr;
  }
  HBITMAP avatar() const { return avatar_; }
  HBITMAP grey() const { return grey_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  std::string bytes_;
  bool wantGrey_;
  bool tried_ = false;
  HBITMAP avatar_ = nullptr;
  HBITMAP grey_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Rows of one group that share everything but their handle, name and number.
class TemplateRows final : public DeferredRows {
 public:
  TemplateRows(const RowData& rowTemplate, ItemHandle group, std::shared_ptr<FillPicture> picture)
      : picture_(std::move(picture)), signature_(rowTemplate.signature), remark_(rowTemplate.remark) {
    common_.groupHandle = group;
    common_.nameColour = rowTemplate.nameColour;
    common_.online = rowTemplate.online;
  }

  void Add(ItemHandle handle, std::string_view name, std::string_view number) {
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

  // Each made row takes its own references to the shared bitmaps, as AddItem takes them.
  void Make(ItemDocument& document, IXMLDOMElement* group) override {
    if (!handles_.empty() && picture_->Decode()) {
      NewRow row = common_;
      row.avatar = picture_->avatar();
      row.greyAvatar = picture_->grey();
      row.avatarWidth = picture_->width();
      row.avatarHeight = picture_->height();
      row.signature = signature_;
      row.remark = remark_;
      for (size_t k = 0; k < handles_.size(); ++k) {
        row.handle = handles_[k];
        row.name = Field(2 * k);
        row.number = Field(2 * k + 1);
        ShareAvatar(row.avatar);
        if (row.greyAvatar) ShareAvatar(row.greyAvatar);
        if (!MakeRowElement(document, group, row)) {
          ReleaseAvatarBitmap(row.greyAvatar);
          ReleaseAvatarBitmap(row.avatar);
        }
      }
    }
    Discard();
  }

  // Unmade rows hold no bitmaps; the group's share of the picture goes with them.
  void Discard() override {
    handles_.clear();
    picture_.reset();
  }

 private:
  std::string_view Field(size_t i) const {
    const uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }

  std::shared_ptr<FillPicture> picture_;
  NewRow common_;
  std::string signature_;
  std::string remark_;
  std::vector<ItemHandle> handles_;
  std::string text_;             // names and numbers back to back
  std::vector<uint32_t> ends_;   // end of row k's name at 2k, of its number at 2k + 1
  ItemHandle lowest_ = 0;
  ItemHandle highest_ = 0;
};

// The rows of `group` from `rowTemplate`, with handles issued now; null when there are none to add (AddItem
// refuses rows without a picture).
std::unique_ptr<TemplateRows> RowsOf(GroupList& list, const GroupRows& group, ItemHandle handle,
                                     const RowData& rowTemplate, const std::shared_ptr<FillPicture>& picture) {
  if (group.rows.empty() || !picture) return nullptr;
  auto rows = std::make_unique<TemplateRows>(rowTemplate, handle, picture);
  for (const RowText& row : group.rows) rows->Add(list.NewItemHandle(), row.name, row.number);
  return rows;
}

std::shared_ptr<FillPicture> PictureOf(const RowData& rowTemplate) {
  if (rowTemplate.avatarPicture.empty()) return nullptr;
  return std::make_shared<FillPicture>(rowTemplate.avatarPicture, !rowTemplate.online);
}

// `count` entries were inserted at `position`: the selected and hovered entries at or after it move with them.
void MoveTrackedEntriesDown(ControlState& state, int position, int count) {
  if (state.selectedIndex >= position) state.selectedIndex += count;
  if (state.hoverIndex >= position) state.hoverIndex += count;
}

// `count` entries from `position` on were deleted: a selected or hovered entry among them is no longer
// selected or hovered, and those after them move up.
void MoveTrackedEntriesUp(ControlState& state, int position, int count) {
  if (state.selectedIndex >= position + count)
    state.selectedIndex -= count;
  else if (state.selectedIndex >= position)
    state.selectedIndex = -1;
  if (state.hoverIndex >= position + count) {
    state.hoverIndex -= count;
  } else if (state.hoverIndex >= position) {
    state.hoverIndex = -1;
    state.hotIcon = 0;
  }
}

int ListIndexOf(IXMLDOMElement* element) { return GetAttributeInt(element, attr::kListIndex); }

}  // namespace

int GroupList::AddGroupsWithRows(const std::vector<GroupRows>& groups, const RowData& rowTemplate) {
  ControlState* state = State();
  if (!state) return 0;
  ScopedBatchUpdate batch(state->listWindow);
  // AddItem refuses a row without a picture, so such rows are not added at all.
  std::shared_ptr<FillPicture> picture = PictureOf(rowTemplate);
  int added = 0;
  for (const GroupRows& group : groups) {
    const ItemHandle handle = AddGroup(std::string(group.title));
    if (!handle) continue;
    ++added;
    if (auto rows = RowsOf(*this, group, handle, rowTemplate, picture))
      state->document.Defer(handle, std::move(rows));
  }
  return added;
}

ItemHandle GroupList::InsertGroupWithRows(int before, const GroupRows& group, const RowData& rowTemplate,
                                          bool expanded) {
  ControlState* state = State();
  if (!state || !state->document.IsValid()) return 0;
  ItemDocument& document = state->document;
  ElementPtr root = document.Root();
  std::vector<ElementPtr> groups = document.Children(root.Get());
  ElementPtr next = before >= 0 && static_cast<size_t>(before) < groups.size() ? groups[before] : nullptr;

  // The header element exactly as AddGroup writes it (black title).
  const ItemHandle handle = NewItemHandle();
  ElementPtr header = document.CreateItemElement(handle);
  if (!header) return 0;
  SetAttributeText(header.Get(), attr::kKind, kKindGroup);
  SetAttributeText(header.Get(), attr::kGroupName, group.title);
  SetAttributeInt(header.Get(), attr::kHandle, handle);
  SetAttributeInt(header.Get(), attr::kNameColour, 0);
  SetAttributeInt(header.Get(), attr::kExpanded, expanded ? 1 : 0);
  if (!document.InsertBefore(root.Get(), header.Get(), next.Get())) {
    document.Forget(handle);
    return 0;
  }

  ScopedBatchUpdate batch(state->listWindow);
  ListBox listBox{state->listWindow};
  const int position = next ? ListIndexOf(next.Get()) : listBox.count();
  auto place = [&](int at, ItemHandle item, const std::string& text, int height) {
    const int i = at < listBox.count() ? listBox.insert(at, text.c_str()) : listBox.add(text.c_str());
    listBox.setItemHeight(i, height);
    listBox.setItemData(i, item);
    return i;
  };
  const std::string title(group.title);
  SetAttributeInt(header.Get(), attr::kListIndex, place(position, handle, title, kGroupEntryHeight));
  int inserted = 1;
  if (auto rows = RowsOf(*this, group, handle, rowTemplate, PictureOf(rowTemplate))) {
    if (!expanded) {
      document.Defer(handle, std::move(rows));
    } else {
      rows->Make(document, header.Get());
      // The rows' handles follow the group's; a row the document refused has no element and no entry.
      for (size_t k = 0; k < group.rows.size(); ++k) {
        ElementPtr row = document.Find(handle + 1 + static_cast<ItemHandle>(k));
        if (!row) continue;
        const int i = place(position + inserted, handle + 1 + static_cast<ItemHandle>(k),
                            std::string(group.rows[k].name), state->rowHeight);
        SetAttributeInt(row.Get(), attr::kListIndex, i);
        ++inserted;
      }
    }
  }
  MoveTrackedEntriesDown(*state, position, inserted);
  RenumberRows(*state, position + inserted - 1);
  return handle;
}

bool GroupList::RemoveGroupWithRows(ItemHandle group) {
  ControlState* state = State();
  if (!state) return false;
  ItemDocument& document = state->document;
  ElementPtr header = document.Find(group);
  if (!header || GetAttributeText(header.Get(), attr::kKind) != kKindGroup) return false;
  ScopedBatchUpdate batch(state->listWindow);
  ListBox listBox{state->listWindow};
  // Rows never made have no entries (their group is collapsed) and need no elements to be removed.
  document.DropDeferred(group);
  // The rows leave the document with their group element; what they own outside it goes first. Their
  // elements leave the index and the tree together, so their attributes are not cleared one by one.
  std::vector<ElementPtr> rows = document.Children(header.Get());
  for (const ElementPtr& row : rows) {
    ReleaseAvatarBitmap(AvatarHandleBitmap(GetAttributeInt(row.Get(), attr::kAvatar)));
    ReleaseAvatarBitmap(AvatarHandleBitmap(GetAttributeInt(row.Get(), attr::kGreyAvatar)));
    const ItemHandle handle = GetAttributeInt(row.Get(), attr::kHandle);
    ForgetFlash(state->listWindow, handle);
    document.Forget(handle);
  }
  // A group's shown rows are the entries right after its header.
  const int g = ListIndexOf(header.Get());
  const bool shown = GetAttributeFlag(header.Get(), attr::kExpanded);
  const int removed = g < 0 ? 0 : 1 + (shown ? static_cast<int>(rows.size()) : 0);
  for (int k = removed - 1; k >= 0; --k) listBox.remove(g + k);
  document.Forget(group);
  document.Remove(document.Root().Get(), header.Get());
  MoveTrackedEntriesUp(*state, g, removed);
  RenumberRows(*state, g - 1);
  return true;
}

}  // namespace trr
