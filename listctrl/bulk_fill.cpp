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
#include "listctrl/entry_tracking.h"
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

// The part of every row of a fill or refill that comes from its template: the decoded picture and what is not
// the row's own; null when the picture is none (AddItem would refuse such rows).
bool CommonRowOf(const RowData& rowTemplate, FillPicture* picture, NewRow& common) {
  if (!picture || !picture->Decode()) return false;
  common.nameColour = rowTemplate.nameColour;
  common.online = rowTemplate.online;
  common.signature = rowTemplate.signature;
  common.remark = rowTemplate.remark;
  common.avatar = picture->avatar();
  common.greyAvatar = picture->grey();
  common.avatarWidth = picture->width();
  common.avatarHeight = picture->height();
  return true;
}

int ListIndexOf(IXMLDOMElement* element) { return GetAttributeInt(element, attr::kListIndex); }

// Refills a group that InsertGroupWithRows made, in place (see there).
ItemHandle RefillInsertedGroup(ControlState& state, IXMLDOMElement* header, const GroupRows& group,
                               const RowData& rowTemplate, bool expanded, std::vector<ItemHandle>* rowHandles) {
  ScopedBatchUpdate batch(state.listWindow);
  const ItemHandle handle = GetAttributeInt(header, attr::kHandle);
  if (GetAttributeText(header, attr::kGroupName) != group.title) SetAttributeText(header, attr::kGroupName, group.title);
  if (GetAttributeInt(header, attr::kNameColour) != 0) SetAttributeInt(header, attr::kNameColour, 0);
  const bool shown = GetAttributeFlag(header, attr::kExpanded);
  if (shown && !expanded) HideGroupRows(state, handle);
  // Bytes that are no picture leave the group without rows, as AddItem would refuse them.
  std::shared_ptr<FillPicture> picture = PictureOf(rowTemplate);
  NewRow common;
  const bool drawn = CommonRowOf(rowTemplate, picture.get(), common);
  RefillGroupRows(state, header, common, drawn ? group.rows : std::vector<RowText>(), rowHandles, true);
  if (!shown && expanded) ShowGroupRows(state, handle);
  return handle;
}

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
                                          bool expanded, ItemHandle refill, std::vector<ItemHandle>* rowHandles) {
  ControlState* state = State();
  if (rowHandles) rowHandles->clear();
  if (!state || !state->document.IsValid()) return 0;
  ItemDocument& document = state->document;
  if (refill != 0 && document.IsInsertedGroup(refill)) {
    if (ElementPtr header = document.Find(refill); header && IsGroup(*state, refill))
      return RefillInsertedGroup(*state, header.Get(), group, rowTemplate, expanded, rowHandles);
    document.ForgetInsertedGroup(refill);  // removed by another operation since
  }
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
  document.NoteInsertedGroup(handle);

  ScopedBatchUpdate batch(state->listWindow);
  ListBox listBox{state->listWindow};
  const int position = next ? ListIndexOf(next.Get()) : listBox.count();
  const int i = position < listBox.count() ? listBox.insert(position, nullptr) : listBox.add(nullptr);
  listBox.setItemHeight(i, kGroupEntryHeight);
  listBox.setItemData(i, handle);
  SetAttributeInt(header.Get(), attr::kListIndex, i);
  MoveTrackedEntriesDown(*state, position, 1);
  int last = position;
  if (!expanded) {
    // A collapsed group's rows are made when first used, as a bulk fill's are.
    if (auto rows = RowsOf(*this, group, handle, rowTemplate, PictureOf(rowTemplate))) {
      if (rowHandles)
        for (size_t k = 1; k <= group.rows.size(); ++k) rowHandles->push_back(handle + static_cast<ItemHandle>(k));
      document.Defer(handle, std::move(rows));
    }
  } else if (std::shared_ptr<FillPicture> picture = PictureOf(rowTemplate)) {
    NewRow common;
    if (CommonRowOf(rowTemplate, picture.get(), common))
      last = RefillGroupRows(*state, header.Get(), common, group.rows, rowHandles, false);
  }
  RenumberRows(*state, last);
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
  document.ForgetInsertedGroup(group);
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
