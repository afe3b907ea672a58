#pragma once
// What the settings form is made of, at its design size of 96 dots per inch: the
// frame's style and client size, and every control with its class, caption, style,
// id and design rectangle, in creation order, which is the tab order. The controls
// that show a setting are tied to it by the control name in the settings table, and
// the check boxes take their captions from there, so the dialog and the help file
// name them alike.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_table.h"

namespace vtl::win32 {

enum ControlId : int {
    idBtnHelp = 100,
    idUseCurrentMode,
    idVideoMode,
    idShowGlasses,
    idReflectionOnSkull,
    idReflectionOnGlasses,
    idRotationSpeed,
    idTiming,
    idTimingSpin,
    idShowRealFPS,
    idShowActivityTime,
    idEnableSounds,
    idGetMore,
};

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 339;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW;

// How the layout places a control beyond scaling its design rectangle.
enum class Fit : std::uint8_t {
    Design,  // the design rectangle
    Text,    // a label: as wide and as high as its text, from its design corner
    Link,    // the design rectangle, in the bold underlined link font
    Buddy,   // up-down arrows standing inside the right end of the control made before them
};

struct ControlDesign {
    const wchar_t* windowClass;
    std::wstring text;
    DWORD style;  // WS_CHILD | WS_VISIBLE come on top
    DWORD exStyle;
    int id;       // -1 for controls nothing refers to
    RECT design;  // left, top, width, height at 96 dots per inch, in the form's client area
    Fit fit;
    const char* controlName;  // the setting it shows, as the settings table names the control; or nullptr
};

// The form's controls in creation (and tab) order.
const std::vector<ControlDesign>& FormControls();

// The control that shows a setting of the dialog; -1 for one it does not show.
int ControlIdOf(const SettingDef& setting);

// A dialog frame without items; the controls are made in WM_INITDIALOG, where the
// system's dots per inch are known.
std::vector<WORD> EmptyDialogTemplate();

}  // namespace vtl::win32
