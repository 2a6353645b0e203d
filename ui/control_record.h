// Internal records of the window layer: one per built window and one per control. Each window carries a pointer
// to its record where subclassing by other components does not disturb it: our own classes in their window's
// extra bytes, standard controls as a window property.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/scoped_win.h"
#include "ui/layout.h"
#include "ui/picture_resource.h"
#include "ui/window_drag.h"

namespace trr::ui {

struct LayoutWindow;

struct ControlRecord {
  const ControlSpec* layoutRow = nullptr;
  LayoutWindow* owner = nullptr;
  HWND hwnd = nullptr;
  UINT_PTR timerId = 0;        // timers only
  ResourcePicture pictures[4];  // decoded on first use
  ScopedFont font;             // only when the layout row names a font
  bool hot = false;            // mouse over (buttons, slider)
  bool pressed = false;        // left button held since a press on it
  bool dragging = false;       // slider thumb follows the mouse
  int position = 0;            // slider
  std::string tag;             // picture buttons' tag text
  DragState drag;              // picture boxes: moving the top-level window
  WNDPROC previousProc = nullptr;  // standard controls we subclass
};

struct LayoutWindow {
  const WindowLayout* layout = nullptr;
  HWND hwnd = nullptr;
  HMODULE resources = nullptr;
  ResourcePicture picture;
  ScopedBrush backgroundBrush;
  ScopedFont defaultFont;
  DragState drag;
  std::vector<std::unique_ptr<ControlRecord>> controls;
  std::vector<EventBinding> bindings;
  std::vector<std::pair<UINT, LRESULT (*)(HWND, WPARAM, LPARAM)>> messageHandlers;
  bool dialogKeys = false;   // the layout's dialogKeys: its edit boxes and push buttons take a dialog's keys
  HWND lastFocus = nullptr;  // such windows: the control that had the focus when the window lost it
  HWND tooltip = nullptr;  // made at the first SetControlTooltip; owned by the window, destroyed with it
};

// Window property name of a standard control's record.
constexpr char kControlProp[] = "TrrUiControl";

ControlRecord* RecordOf(HWND control);
LayoutWindow* LayoutOf(HWND window);
ControlRecord* FindRecord(LayoutWindow* window, const char* name);

// Calls every handler bound to `kind` events of `control`. The window may be gone when this returns.
void Dispatch(LayoutWindow* window, const char* control, EventKind kind, int value);

// The font a control draws with: its own, or the window's default.
HFONT ControlFont(const ControlRecord& record);

// WM_COMMAND and WM_CTLCOLOR* that a standard control sends to its parent: true (and `result` set) when handled.
bool HandleChildNotification(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// From layout_controls.cpp: the font of a layout row, the procedure of a window's class, whether it is one of
// our own control classes, and the creation of the controls whose parent is `parent` (nullptr: the window).
HFONT MakeFont(const FontSpec& font);
WNDPROC ClassProcedure(HWND hwnd);
bool IsOwnControlClass(WNDPROC proc);
void CreateChildren(LayoutWindow& window, const char* parent);

// From dialog_keys.cpp. In a window whose layout asks for dialogKeys, its edit boxes and push buttons handle the
// keys of a dialog: Tab and Shift+Tab move between them, Enter clicks the focused push button or else the default
// one (kDefaultButton), Esc asks the window to close when its layout says so.
// The dialog's keys for `message` to `record`'s control: true when it was one of them and has been handled (the
// control's own procedure must not see it then). The edit box's procedure calls it.
bool HandleDialogKey(ControlRecord& record, UINT message, WPARAM wParam);
// Puts the dialog keys' procedure above a push button's, with the wide functions as the edit box's.
void AttachDialogKeys(ControlRecord& record);
// WM_ACTIVATE of a window with dialog keys: keeps the focused control when it goes inactive and gives the focus
// back when it comes back; true when handled.
bool KeepFocusOnActivate(LayoutWindow& window, WPARAM wParam);

// Background colour of the window as a COLORREF.
COLORREF WindowBackgroundColour(const LayoutWindow& window);

// Window procedures and class names of the custom control kinds.
extern const char kPictureBoxClass[];
extern const char kPictureButtonClass[];
extern const char kTransparentLabelClass[];
extern const char kVolumeSliderClass[];
extern const char kActiveXHostClass[];
LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PictureButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentLabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK VolumeSliderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ActiveXHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the new edit box `record.hwnd` ready: font, margins, text limit and the procedure that draws its hint
// (and takes the dialog's keys in a window with dialog keys).
void SetUpEditBox(ControlRecord& record);

// Slider position from a point in its client area, and its geometry (shared with painting).
int SliderPositionAt(const ControlRecord& record, int x);
RECT SliderThumbRect(const ControlRecord& record);

// Private message: set the text carried in lParam (a new'd std::string, deleted by the receiver).
constexpr UINT kPostedTextMessage = WM_APP + 0x3A1;

}  // namespace trr::ui
