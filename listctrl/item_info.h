// ItemInfo, the full record of one group or row, and the shared steps that read and write it.
#pragma once
#include <string>
#include <vector>

#include "listctrl/control_state.h"

namespace trr {

// Attribute names of the document.
namespace attr {
constexpr const char kKind[] = "项目类别";
constexpr const char kHandle[] = "项目句柄";
constexpr const char kListIndex[] = "项目索引";
constexpr const char kGroupName[] = "分组名称";
constexpr const char kNameColour[] = "名称颜色";
constexpr const char kExpanded[] = "已扩展";
constexpr const char kGroupHandle[] = "分组句柄";
constexpr const char kName[] = "项目名称";
constexpr const char kNumber[] = "项目号码";
constexpr const char kSignature[] = "个性签名";
constexpr const char kRemark[] = "备注信息";
constexpr const char kIconCount[] = "业务图标数量";
constexpr const char kIconList[] = "业务图标数组";
constexpr const char kAvatar[] = "头像图标句柄";
constexpr const char kGreyAvatar[] = "灰度头像句柄";
constexpr const char kAvatarWidth[] = "头像宽度";
constexpr const char kAvatarHeight[] = "头像高度";
constexpr const char kOnline[] = "是否在线";
constexpr const char kFlashing[] = "头像闪烁";
constexpr const char kAvatarOffset[] = "头像偏移";
}  // namespace attr

constexpr const char kKindGroup[] = "分组";
constexpr const char kKindRow[] = "项目";

struct ItemInfo {
  ItemHandle handle = 0;
  std::string kind;
  ItemHandle groupHandle = 0;  // -1 in a record built for a new group
  std::string avatarPicture;
  int32_t avatar = 0;      // HBITMAP as stored
  int32_t greyAvatar = 0;  // HBITMAP as stored
  std::string name;
  std::string number;
  int32_t nameColour = 0;
  bool online = false;
  std::string signature;
  bool expanded = false;
  std::vector<int32_t> icons;
  int32_t iconCount = 0;
  std::string remark;
  bool flashing = false;
  int32_t avatarOffset = 0;
  int32_t avatarWidth = 0;
  int32_t avatarHeight = 0;
  int32_t listIndex = -1;
};

// Finds the element of `handle` in the control of `listWindow` and fills `info` (group: handle, kind, list
// index, name, expanded, name colour; row: ReadRowAttributes). False when the control or element is absent or
// its 项目句柄 reads 0. `element`, when given, receives the element.
bool FindItem(HWND listWindow, ItemHandle handle, ItemInfo& info, ElementPtr* element = nullptr);
bool FindItem(ControlState& state, ItemHandle handle, ItemInfo& info, ElementPtr* element = nullptr);

bool ReadRowAttributes(IXMLDOMElement* element, ItemInfo& info);
void WriteRowAttributes(IXMLDOMElement* element, const ItemInfo& info);

// "3,7,12" <-> {3, 7, 12}; "5" -> {5}; "3,,7" -> {3, 0, 7}; empty array <-> empty text.
std::vector<int32_t> ParseIconList(const std::string& text);
std::string JoinIconList(const std::vector<int32_t>& icons);

// Rewrites 项目索引 of every entry after position `start` (start may be -1).
void RenumberRows(ControlState& state, int start);

// True when the element of `handle` is a group.
bool IsGroup(ControlState& state, ItemHandle handle);

// The next item handle of the process (the counter is seeded by the first Create).
ItemHandle NextItemHandle();
// Seeds the counter from 10000..99999 when it is still 0.
void SeedItemHandles();

}  // namespace trr
