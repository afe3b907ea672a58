#include "app/saver/win32/settings_form_template.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/win32/win32_text.h"

namespace vtl::win32 {
namespace {

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;

const char* CaptionOf(const char* controlName) {
    const SettingDef* setting = FindSettingByControl(controlName);
    if (!setting) throw std::logic_error(std::string("no setting is shown in ") + controlName);
    return setting->caption;
}

ControlDesign Plain(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
                    Fit fit = Fit::Design, DWORD exStyle = 0) {
    return ControlDesign{windowClass, text, style, exStyle, id, RECT{x, y, w, h}, fit, nullptr};
}

// A control that shows the setting the settings table names it for.
ControlDesign Showing(const char* controlName, ControlDesign item) {
    CaptionOf(controlName);  // a control the table does not know is a mistake of this file
    item.controlName = controlName;
    return item;
}

ControlDesign Label(const wchar_t* text, int x, int y) {
    return Plain(L"STATIC", text, SS_LEFT | SS_NOPREFIX, -1, x, y, 0, 0, Fit::Text);
}

// A check box captioned as the settings table captions its setting.
ControlDesign CheckBox(const char* controlName, int id, int x, int y, int w) {
    return Showing(controlName,
                   Plain(L"BUTTON", Widen(CaptionOf(controlName)).c_str(), BS_AUTOCHECKBOX | kTab, id, x, y, w, 17));
}

std::vector<ControlDesign> MakeControls() {
    std::vector<ControlDesign> c;
    c.push_back(Plain(L"STATIC", L"", SS_ETCHEDFRAME, -1, 8, 8, 381, 57));
    c.push_back(
        Plain(L"STATIC", L"Vantorel 3D Screensaver, version 2.5", SS_CENTER | SS_NOPREFIX, -1, 104, 12, 215, 13));
    c.push_back(Plain(L"STATIC", L"Get More 3D Screensavers", SS_CENTER | SS_NOTIFY | SS_NOPREFIX, idGetMore, 117, 28,
                      154, 13, Fit::Link));

    constexpr int g1x = 8, g1y = 72;
    c.push_back(Plain(L"BUTTON", L"Video mode", BS_GROUPBOX, -1, g1x, g1y, 141, 77));
    c.push_back(CheckBox("cbxUseCurrentMode", idUseCurrentMode, g1x + 8, g1y + 20, 109));
    // The height includes the dropped-down list.
    c.push_back(Showing("cbVideoMode", Plain(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | kTab, idVideoMode,
                                             g1x + 8, g1y + 44, 113, 21 + 120)));

    constexpr int g3x = 8, g3y = 156;
    c.push_back(Plain(L"BUTTON", L"Effects", BS_GROUPBOX, -1, g3x, g3y, 141, 85));
    c.push_back(CheckBox("cbxShowGlasses", idShowGlasses, g3x + 8, g3y + 18, 117));
    c.push_back(CheckBox("cbxReflectionOnSkull", idReflectionOnSkull, g3x + 8, g3y + 40, 121));
    c.push_back(CheckBox("cbxReflectionOnGlasses", idReflectionOnGlasses, g3x + 8, g3y + 60, 125));

    constexpr int g2x = 156, g2y = 72;
    c.push_back(Plain(L"BUTTON", L"Rendering", BS_GROUPBOX, -1, g2x, g2y, 233, 169));
    c.push_back(Label(L"Rotation speed", g2x + 7, g2y + 20));
    c.push_back(Showing("trbRotationSpeed", Plain(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | TBS_BOTH | kTab,
                                                  idRotationSpeed, g2x + 4, g2y + 36, 141, 36)));
    c.push_back(Label(L"Slow", g2x + 10, g2y + 76));
    c.push_back(Label(L"Fast", g2x + 117, g2y + 76));
    c.push_back(Label(L"Timing (fps)", g2x + 155, g2y + 20));
    c.push_back(Showing("seTiming", Plain(WC_EDITW, L"", ES_NUMBER | ES_AUTOHSCROLL | kTab, idTiming, g2x + 156,
                                          g2y + 43, 65, 22, Fit::Design, WS_EX_CLIENTEDGE)));
    c.push_back(
        Plain(UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_HOTTRACK, idTimingSpin, 0, 0, 0, 0, Fit::Buddy));
    c.push_back(CheckBox("cbxShowRealFPS", idShowRealFPS, g2x + 8, g2y + 100, 113));
    c.push_back(CheckBox("cbxShowActivityTime", idShowActivityTime, g2x + 8, g2y + 122, 113));
    c.push_back(CheckBox("cbxEnableSounds", idEnableSounds, g2x + 8, g2y + 144, 97));

    c.push_back(Plain(L"STATIC", L"", SS_ETCHEDHORZ, -1, 8, 292, 382, 2));
    c.push_back(Plain(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | kTab, IDOK, 8, 304, 70, 25));
    c.push_back(Plain(L"BUTTON", L"Cancel", BS_PUSHBUTTON | kTab, IDCANCEL, 84, 304, 70, 25));
    c.push_back(Plain(L"BUTTON", L"Help", BS_PUSHBUTTON | kTab, idBtnHelp, 319, 304, 70, 25));
    return c;
}

}  // namespace

const std::vector<ControlDesign>& FormControls() {
    static const std::vector<ControlDesign> controls = MakeControls();
    return controls;
}

int ControlIdOf(const SettingDef& setting) {
    if (setting.controlName == nullptr) return -1;
    for (const ControlDesign& control : FormControls())
        if (control.controlName && std::string(control.controlName) == setting.controlName) return control.id;
    return -1;
}

std::vector<WORD> EmptyDialogTemplate() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = kFormStyle;
    header->dwExtendedStyle = kFormExStyle;
    header->cdit = 0;
    header->cx = 100;
    header->cy = 100;
    // Menu, class and title are the three zero words that follow.
    return words;
}

}  // namespace vtl::win32
