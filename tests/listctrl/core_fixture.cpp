#include "tests/listctrl/core_fixture.h"

#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "tests/harness/message_pump.h"

namespace trr::test {

std::string SolidBmp(int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = stride * height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(stride, '\0');
  for (int x = 0; x < width; ++x) {
    row[x * 3] = static_cast<char>(GetBValue(colour));
    row[x * 3 + 1] = static_cast<char>(GetGValue(colour));
    row[x * 3 + 2] = static_cast<char>(GetRValue(colour));
  }
  for (int y = 0; y < height; ++y) bytes += row;
  return bytes;
}

void CoreListFixture::CreateList(int mode, int enlarge, int width, int height) {
  static const char* className = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ListCoreTestContainer";
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassA(&windowClass);
    return "ListCoreTestContainer";
  }();
  container = CreateWindowExA(WS_EX_TOPMOST, className, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(container);
  ASSERT_EQ(list.Create(container, {}, Given(mode), Given(enlarge)), 1);
  PumpMessages(20);
}

void CoreListFixture::TearDown() {
  if (container) DestroyWindow(container);
  container = nullptr;
  // Destroying the ListBox releases everything its rows held.
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
}

ItemHandle CoreListFixture::AddRow(ItemHandle group, const std::string& name, bool online,
                               const std::vector<int32_t>* icons, const std::string& picture) {
  RowData row;
  row.groupHandle = group;
  row.name = name;
  row.number = "n" + name;
  row.remark = "r" + name;
  row.online = online;
  row.avatarPicture = picture.empty() ? pictureA : picture;
  return list.AddItem(row, icons) ? row.handle : 0;
}

std::vector<ItemHandle> CoreListFixture::Entries() const {
  ListBox listBox{list.listWindow()};
  std::vector<ItemHandle> entries;
  for (int i = 0; i < listBox.count(); ++i) entries.push_back(listBox.itemData(i));
  return entries;
}

std::vector<int> CoreListFixture::Heights() const {
  ListBox listBox{list.listWindow()};
  std::vector<int> heights;
  for (int i = 0; i < listBox.count(); ++i) heights.push_back(listBox.itemHeight(i));
  return heights;
}

int CoreListFixture::ListIndex(ItemHandle handle) const {
  ElementPtr element = State().document.Find(handle);
  return element ? GetAttributeInt(element.Get(), attr::kListIndex) : -100;
}

std::string CoreListFixture::Attribute(ItemHandle handle, const char* name) const {
  ElementPtr element = State().document.Find(handle);
  return element ? GetAttributeText(element.Get(), name) : "<absent>";
}

::testing::AssertionResult CoreListFixture::Consistent() const {
  std::string error = CheckListInvariants(State());
  if (error.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << error;
}

}  // namespace trr::test
