// Avatar bitmaps shared between rows. A directory often gives hundreds of rows the same picture; decoding it
// once and counting references keeps one bitmap per distinct picture (and one grey copy per bitmap) while each
// row still releases exactly what it acquired.
#include <map>
#include <string>
#include <unordered_map>

#include "listctrl/pictures.h"

namespace trr {

namespace {

struct SharedBitmap {
  int references = 0;
  int width = 0;
  int height = 0;
  std::string key;              // the picture bytes of a colour avatar; empty for a grey copy
  HBITMAP greyOf = nullptr;     // the colour avatar a grey copy was made from
};

struct AvatarStore {
  std::map<HBITMAP, SharedBitmap> bitmaps;                // every live bitmap of the store
  std::unordered_map<std::string, HBITMAP> byBytes;       // colour avatars by their picture bytes
  std::map<HBITMAP, HBITMAP> greyBySource;                // grey copies by their colour avatar
};

AvatarStore& Store() {
  static AvatarStore store;
  return store;
}

// The one form in which the store keeps and returns a handle.
HBITMAP Canonical(HBITMAP bitmap) { return AvatarHandleBitmap(AvatarHandleValue(bitmap)); }

}  // namespace

HBITMAP AcquireAvatar(const std::string& bytes, int* width, int* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  if (bytes.empty()) return nullptr;
  AvatarStore& store = Store();
  auto known = store.byBytes.find(bytes);
  if (known != store.byBytes.end()) {
    SharedBitmap& shared = store.bitmaps[known->second];
    ++shared.references;
    if (width) *width = shared.width;
    if (height) *height = shared.height;
    return known->second;
  }
  int w = 0;
  int h = 0;
  HBITMAP bitmap = Canonical(BitmapFromBytes(bytes, RGB(255, 255, 255), &w, &h));
  if (!bitmap) return nullptr;
  SharedBitmap shared;
  shared.references = 1;
  shared.width = w;
  shared.height = h;
  shared.key = bytes;
  store.bitmaps[bitmap] = std::move(shared);
  store.byBytes[bytes] = bitmap;
  if (width) *width = w;
  if (height) *height = h;
  return bitmap;
}

HBITMAP ShareAvatar(HBITMAP bitmap) {
  bitmap = Canonical(bitmap);
  auto entry = Store().bitmaps.find(bitmap);
  if (!bitmap || entry == Store().bitmaps.end()) return nullptr;
  ++entry->second.references;
  return bitmap;
}

HBITMAP AcquireGreyAvatar(HBITMAP avatar) {
  avatar = Canonical(avatar);
  if (!avatar) return nullptr;
  AvatarStore& store = Store();
  auto known = store.greyBySource.find(avatar);
  if (known != store.greyBySource.end()) {
    ++store.bitmaps[known->second].references;
    return known->second;
  }
  HBITMAP grey = Canonical(GreyBitmap(avatar));
  if (!grey) return nullptr;
  SharedBitmap shared;
  shared.references = 1;
  // Only copies of store bitmaps are shared: a foreign source handle may be deleted and its value reused.
  if (store.bitmaps.count(avatar)) {
    shared.greyOf = avatar;
    store.greyBySource[avatar] = grey;
  }
  store.bitmaps[grey] = std::move(shared);
  return grey;
}

void ReleaseAvatarBitmap(HBITMAP bitmap) {
  bitmap = Canonical(bitmap);
  if (!bitmap) return;
  AvatarStore& store = Store();
  auto entry = store.bitmaps.find(bitmap);
  if (entry == store.bitmaps.end()) {
    DeleteObject(bitmap);
    return;
  }
  if (--entry->second.references > 0) return;
  if (!entry->second.key.empty()) store.byBytes.erase(entry->second.key);
  if (entry->second.greyOf) {
    store.greyBySource.erase(entry->second.greyOf);
  }
  // A grey copy may outlive its source; it then stays alive for its holders but is no longer found by the
  // source's handle value, which GDI may hand out again.
  auto grey = store.greyBySource.find(bitmap);
  if (grey != store.greyBySource.end()) {
    store.bitmaps[grey->second].greyOf = nullptr;
    store.greyBySource.erase(grey);
  }
  store.bitmaps.erase(entry);
  DeleteObject(bitmap);
}

int LiveAvatarBitmapCount() { return static_cast<int>(Store().bitmaps.size()); }

}  // namespace trr
