// Filling a control with many groups and rows in one pass. Each group is added as AddGroup adds it; its rows
// get their handles at once, in the order AddItem would give them, and their elements and their references to
// the one shared avatar are made when the group is first looked at. The avatar itself is decoded then too:
// decoding loads the imaging components, a cost that a fill done before its window shows should not carry.
#include <algorithm>
#include <memory>

#include "listctrl/control_state.h"
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

}  // namespace

int GroupList::AddGroupsWithRows(const std::vector<GroupRows>& groups, const RowData& rowTemplate) {
  ControlState* state = State();
  if (!state) return 0;
  ScopedBatchUpdate batch(state->listWindow);
  // AddItem refuses a row without a picture, so such rows are not added at all.
  std::shared_ptr<FillPicture> picture;
  if (!rowTemplate.avatarPicture.empty())
    picture = std::make_shared<FillPicture>(rowTemplate.avatarPicture, !rowTemplate.online);
  int added = 0;
  for (const GroupRows& group : groups) {
    const ItemHandle handle = AddGroup(std::string(group.title));
    if (!handle) continue;
    ++added;
    if (group.rows.empty() || !picture) continue;
    auto rows = std::make_unique<TemplateRows>(rowTemplate, handle, picture);
    for (const RowText& row : group.rows) rows->Add(NewItemHandle(), row.name, row.number);
    state->document.Defer(handle, std::move(rows));
  }
  return added;
}

}  // namespace trr
