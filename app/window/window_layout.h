#pragma once
// The main window's design: every control with its kind, place, caption,
// font and start state, as data. The Qt window is built from this table;
// nothing here knows about a toolkit.

#include <optional>
#include <span>
#include <string_view>

#include "app/window_view.h"

namespace qfw {

inline constexpr std::string_view kWindowObjectName = "Q61xFwTool";
inline constexpr std::string_view kWindowCaption = "Quorell QRS642 Firmware Update Utility 4-bay v0.1";
inline constexpr std::string_view kApplicationTitle = "Quorell QRS642 Firmware Update Utility";
inline constexpr int kClientWidth = 411;
inline constexpr int kClientHeight = 229;
// The developer panel's height, by which construction shrinks the window.
inline constexpr int kPanelHeight = 129;

enum class ControlKind {
  Label,
  PushButton,
  CheckBox,
  DropDownList,      // a list to choose from, no typing
  DropDownWithEdit,  // a list with an edit field
  LabeledEdit,       // a single-line edit with its caption label on the left
  ProgressBar,
  Panel,
};

// "Sans" is the window's default face (MS Sans Serif on the original
// platform); "Arial" is taken as Arial or its metric twin Liberation Sans.
enum class FontFace { Sans, Arial };

struct FontSpec {
  FontFace face;
  int pixelSize;
};

struct Rect {
  int left;
  int top;
  int width;
  int height;
};

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  Rect rect;                       // in the parent's client area
  std::string_view caption = {};   // caption, or the label of a labelled edit
  std::string_view parent = {};    // empty: the window; else a panel's name
  bool visible = true;
  bool enabled = true;
  std::optional<FontSpec> font = {};  // nothing: the window's font
  std::optional<TextColour> colour = {};
  bool readOnly = false;
  bool buttonFaceBackground = false;  // edit boxes painted like the window
  std::span<const std::string_view> items = {};
  int selectedItem = -1;
  int tag = 0;
};

// The window's default font.
inline constexpr FontSpec kWindowFont{FontFace::Sans, 11};
// Gap between a labelled edit's caption and its box.
inline constexpr int kEditLabelSpacing = 3;

// Every control, parents before their children, in stacking order.
std::span<const ControlLayout> WindowLayout();

// The layout row of a control; nullptr for an unknown name.
const ControlLayout* FindControlLayout(std::string_view name);

// The layout name of a control of the workflow's view.
std::string_view ControlName(Control control);

// Every control the workflow's view knows.
std::span<const Control> ViewControls();

}  // namespace qfw
