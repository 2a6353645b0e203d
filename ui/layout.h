// Static window layouts: one table row per control, one record per window, one table of event bindings.
// A layout is plain constant data; ui/layout_window.h turns it into real windows.
#pragma once
#include <windows.h>

#include <cstddef>

namespace trr::ui {

enum class ControlKind {
  PictureBox,        // shows a GIF picture (or what lies behind it when it has none); a surface for children
  PictureButton,     // normal / hot / pressed pictures, drawn with a key colour as transparency
  TransparentLabel,  // text only, drawn over whatever lies behind it
  VolumeSlider,      // drawn from four alpha image strips: rail, filled part, filled part while hot, thumb
  Timer,             // no window; ticks at `interval` milliseconds (0 = stopped)
  ActiveXHost,       // empty child window that another component puts an ActiveX control into
  Label,             // standard static text with a text colour
  PushButton,        // standard push button
  GroupBox,          // standard group box; may parent other controls
  ProgressBar,       // standard progress bar, range rangeMin..rangeMax
  EditBox,           // standard single-line edit box, at most textLimit characters; `hint` in grey while empty
};

// Control flags.
enum : unsigned {
  kHidden = 1u << 0,          // created invisible
  kHandCursor = 1u << 1,      // hand cursor over the control (otherwise the arrow)
  kMagentaKey = 1u << 2,      // magenta (255, 0, 255) pixels of its pictures are transparent
  kWhiteKey = 1u << 3,        // white (255, 255, 255) pixels of its pictures are transparent
  kMultiLine = 1u << 4,       // label text wraps at word ends and line breaks
  kClickable = 1u << 5,       // a transparent label reports a left click as a Click event
  kDefaultButton = 1u << 6,   // push button that Enter clicks wherever the keyboard focus is in its window
};

struct FontSpec {
  const char* face;  // GBK face name
  int height;        // logical height as CreateFontA takes it (negative: character height)
  int weight;
  int charset;
};

// The layer's default font: "宋体" 9 point, as a Chinese desktop draws dialog text.
extern const FontSpec kDefaultFont;

constexpr COLORREF kNoColour = 0xFFFFFFFFu;

struct ControlSpec {
  const char* name;              // GBK name by which code addresses the control
  ControlKind kind;
  const char* parent = nullptr;  // name of the parent control; nullptr = the window itself
  int left = 0, top = 0, width = 0, height = 0;
  const char* text = "";         // initial text (labels, buttons, group box; tag text of picture buttons)
  // Picture resources ("GIF" type; slider strips "BMPA" type): picture box uses [0]; picture buttons use
  // normal, hot, pressed; the slider uses rail, filled, filled-hot, thumb. 0 = none.
  int pictures[4] = {0, 0, 0, 0};
  COLORREF textColour = kNoColour;  // kNoColour = the control's usual colour
  const FontSpec* font = nullptr;   // nullptr = kDefaultFont
  unsigned flags = 0;
  int rangeMin = 0, rangeMax = 100, position = 0;  // slider and progress bar
  unsigned interval = 0;                            // timer, milliseconds
  int textLimit = 0;                                // edit box: most characters it takes; 0 = the system's
  const char* hint = nullptr;                       // edit box: grey text shown while it is empty
};

enum class EventKind {
  Created,        // the window and all its controls exist; runs before the window is shown
  Click,          // a button (or a clickable label) was clicked
  RightPress,     // right button pressed on the bare surface of a picture box
  SliderChanged,  // the user moved a slider; value = new position
  TimerTick,      // a timer fired
  TextChanged,    // an edit box's text changed, however (typing, pasting, setting it)
  Destroyed,      // the window is being destroyed (its controls still exist)
};

struct Event {
  HWND window;          // the top-level window
  const char* control;  // name of the control, or "" for window events
  EventKind kind;
  int value;            // slider position; 0 otherwise
};

using EventHandler = void (*)(const Event& event);

// Binds `handler` to `kind` events of `control` ("" for the window's own events).
struct EventBinding {
  const char* control;
  EventKind kind;
  EventHandler handler;
};

enum class FrameStyle {
  Borderless,   // no title bar or system frame; moved by dragging its bare surfaces
  FixedDialog,  // title bar with the system close box, fixed single border, not resizable
};

constexpr COLORREF kSystemBackground = 0xFFFFFFFEu;  // the system's dialog face colour

struct WindowLayout {
  const char* className;   // window class, registered on first use
  const char* caption;     // GBK caption (taskbar text for borderless windows)
  FrameStyle frame;
  int width, height;       // client size (Borderless) or outer size (FixedDialog)
  COLORREF background;     // colour under everything; kSystemBackground for the dialog face
  int picture;             // GIF resource drawn at 0,0 over the background; 0 = none
  int icon;                // ICON resource for the class and taskbar; 0 = none
  bool escapeCloses;       // Esc closes the window (WM_CLOSE)
  bool quitOnDestroy;      // destroying the window ends the message loop
  const ControlSpec* controls;
  size_t controlCount;
  const EventBinding* bindings;
  size_t bindingCount;
  // Its edit boxes and push buttons take the keys of a dialog (Tab, Enter, Esc; see ui/control_record.h), the
  // first of them has the focus when the window is shown, and it keeps the focused one while inactive.
  bool dialogKeys = false;
};

}  // namespace trr::ui
