// The settings dialog on Win32: a modeless dialog (the dialog manager gives Tab, Enter,
// Esc and the default button) whose standard controls are created at the form's
// design positions, scaled from 96 dots per inch to the DPI of the monitor it stands
// on, and laid out again when it moves to a monitor of another DPI. What the controls
// show, what OK stores, how the timing field reads and what a failed write says are
// decided in settings/settingsform_logic; this file only moves values in and out of
// the controls. Not done here: themes beyond what comctl32 v6 draws by itself.
#include "app/saver/win32/settings_form.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/saver/apperror.h"
#include "app/saver/hostservices.h"
#include "app/saver/scrutils.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/monitor_dpi.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"
#include "settings/settingsform_logic.h"
#include "settings/settingsstore.h"

namespace vtl::win32 {
namespace {

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

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr int kClientWidth = 398;
constexpr int kClientHeight = 339;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW;

using HtmlHelpAProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHtmlHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kHtmlHelpCloseAll = 0x0012;      // HH_CLOSE_ALL

// The HTML Help entry takes the ANSI code page, the registry seam gives UTF-8.
std::string ToAnsi(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(size - 1));
    return ansi;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

class SettingsForm {
public:
    explicit SettingsForm(IRegistry& registry) : registry_(registry) {}
    ~SettingsForm() {
        if (font_) DeleteObject(font_);
        if (linkFont_) DeleteObject(linkFont_);
        // Help windows live in this process and run the library's code: they are closed
        // first, and the library stays loaded until the process ends, so a window that
        // is still closing never calls into unloaded code.
        if (htmlHelp_) htmlHelp_(nullptr, nullptr, kHtmlHelpCloseAll, 0);
    }
    SettingsForm(const SettingsForm&) = delete;
    SettingsForm& operator=(const SettingsForm&) = delete;

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowHelp();

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FormCreate();
    void FormShow();
    void cbxUseCurrentModeClick();
    void btnOkClick();
    void btnCancelClick() { DestroyWindow(dialog_); }
    void btnHelpClick() { ShowHelp(); }
    void GetMoreLabelClick();
    void NormaliseTiming();
    void ShowError(const std::string& message);

    void CreateControls();
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    HWND Add(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
             DWORD exStyle = 0);
    HWND AddLabel(const wchar_t* text, int x, int y);
    // Fonts and control positions for the current DPI, from the design at 96.
    void MakeFonts();
    void LayOutControls();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    void Check(int id, bool on) { CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    SettingsFormState ReadControls() const;

    IRegistry& registry_;
    HWND dialog_ = nullptr;
    HWND link_ = nullptr;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HMODULE helpLibrary_ = nullptr;
    HtmlHelpAProc htmlHelp_ = nullptr;
    int dpi_ = 96;
    // Every control's design rectangle at 96 dpi; a label without a design width is
    // as wide as its text.
    struct Placement {
        HWND control;
        RECT design;  // x, y, width, height
        bool fitsText;
    };
    std::vector<Placement> placements_;
    HWND timingSpin_ = nullptr;
    HWND timingEdit_ = nullptr;
};

INT_PTR CALLBACK SettingsForm::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<SettingsForm*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        form->dialog_ = dialog;
    }
    auto* form = reinterpret_cast<SettingsForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!form) return FALSE;
    if (message == WM_NCDESTROY) {
        // The dialog owns its form: the last message it gets frees it.
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        delete form;
        return FALSE;
    }
    try {
        return form->Handle(message, wParam, lParam);
    } catch (...) {
        // An error in a handler is the user's to see, whatever was raised; the dialog
        // stays open. No error may unwind into the system's dialog code.
        try {
            form->ShowError(DescribeException(std::current_exception()).message);
        } catch (...) {
        }
        return TRUE;
    }
}

INT_PTR SettingsForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            FormCreate();
            FormShow();
            SetFocus(Item(idUseCurrentMode));
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDOK) btnOkClick();
            else if (id == IDCANCEL) btnCancelClick();
            else if (id == idBtnHelp && code == BN_CLICKED) btnHelpClick();
            else if (id == idUseCurrentMode && code == BN_CLICKED) cbxUseCurrentModeClick();
            else if (id == idGetMore && code == STN_CLICKED) GetMoreLabelClick();
            else if (id == idTiming && code == EN_KILLFOCUS) NormaliseTiming();
            else return FALSE;
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom != idTimingSpin || header->code != UDN_DELTAPOS) return FALSE;
            const auto* delta = reinterpret_cast<const NMUPDOWN*>(lParam);
            const int value = StepTiming(WindowText(Item(idTiming)), delta->iDelta);
            SetDlgItemInt(dialog_, idTiming, static_cast<UINT>(value), FALSE);
            SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);  // the field holds the value, not the arrows
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) != link_) return FALSE;
            SetTextColor(reinterpret_cast<HDC>(wParam), kNavy);
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != link_) return FALSE;
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_HELP:
        case kShowHelpMessage:
            ShowHelp();
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(dialog_);
            return TRUE;
        case WM_DESTROY:
            PostQuitMessage(0);
            return TRUE;
        default:
            return FALSE;
    }
}

void SettingsForm::FormCreate() {
    helpLibrary_ = win32::LoadSystemLibrary(L"HHCtrl.ocx");
    if (helpLibrary_)
        htmlHelp_ = reinterpret_cast<HtmlHelpAProc>(reinterpret_cast<void*>(GetProcAddress(helpLibrary_, "HtmlHelpA")));
    SetWindowContextHelpId(dialog_, kSettingsHelpContext);
    LeaveDpiChangesToDialog(dialog_);
    // In the centre of the primary monitor, scaled for that monitor's DPI.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    dpi_ = static_cast<int>(MonitorDpi(MonitorFromPoint({screenWidth / 2, screenHeight / 2}, MONITOR_DEFAULTTOPRIMARY)));

    const RECT frame = FrameForClient(Scale(kClientWidth), Scale(kClientHeight), kFormStyle, kFormExStyle,
                                      static_cast<UINT>(dpi_));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog_, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextW(dialog_, Widen(kSettingsFormCaption).c_str());
    CreateControls();
    SendDlgItemMessageW(dialog_, idVideoMode, CB_SETCURSEL, 0, 0);
}

HWND SettingsForm::Add(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
                       DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Scale(x), Scale(y), Scale(w),
                                   Scale(h), dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (control) placements_.push_back({control, RECT{x, y, w, h}, false});
    return control;
}

HWND SettingsForm::AddLabel(const wchar_t* text, int x, int y) {
    HWND label = Add(L"STATIC", text, SS_LEFT | SS_NOPREFIX, -1, x, y, 0, 0);
    if (label) placements_.back().fitsText = true;
    return label;
}

void SettingsForm::MakeFonts() {
    HFONT oldFont = font_, oldLinkFont = linkFont_;
    font_ = CreateFontW(-Scale(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    linkFont_ = CreateFontW(-Scale(11), 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    for (const Placement& placed : placements_) {
        const HFONT font = placed.control == link_ ? linkFont_ : font_;
        SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // Deleted only once no control draws with them any more.
    if (oldFont) DeleteObject(oldFont);
    if (oldLinkFont) DeleteObject(oldLinkFont);
}

void SettingsForm::LayOutControls() {
    HDC dc = GetDC(dialog_);
    HGDIOBJ old = SelectObject(dc, font_);
    for (const Placement& placed : placements_) {
        if (placed.control == timingSpin_) continue;  // it follows its edit below
        const RECT& d = placed.design;
        int width = Scale(d.right), height = Scale(d.bottom);
        if (placed.fitsText) {
            wchar_t text[128] = {};
            GetWindowTextW(placed.control, text, 128);
            SIZE size{};
            GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
            width = size.cx + 1;
            height = size.cy;
        }
        SetWindowPos(placed.control, nullptr, Scale(d.left), Scale(d.top), width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SelectObject(dc, old);
    ReleaseDC(dialog_, dc);
    // The arrows stand inside the right end of their edit, which they take from its
    // width each time they are attached.
    if (timingSpin_ && timingEdit_) SendMessageW(timingSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(timingEdit_), 0);
}

void SettingsForm::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi > 0 && static_cast<int>(dpi) != dpi_) {
        dpi_ = static_cast<int>(dpi);
        MakeFonts();
        LayOutControls();
    }
    SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog_, nullptr, TRUE);
}

void SettingsForm::CreateControls() {
    MakeFonts();

    // Creation order is the tab order.
    constexpr DWORD tab = WS_TABSTOP | WS_GROUP;
    Add(L"STATIC", L"", SS_ETCHEDFRAME, -1, 8, 8, 381, 57);
    Add(L"STATIC", L"Vantorel 3D Screensaver, version 2.5", SS_CENTER | SS_NOPREFIX, -1, 104, 12, 215, 13);
    link_ = Add(L"STATIC", L"Get More 3D Screensavers", SS_CENTER | SS_NOTIFY | SS_NOPREFIX, idGetMore, 117, 28,
                154, 13);
    SendMessageW(link_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);

    constexpr int g1x = 8, g1y = 72;
    Add(L"BUTTON", L"Video mode", BS_GROUPBOX, -1, g1x, g1y, 141, 77);
    Add(L"BUTTON", L"Use current mode", BS_AUTOCHECKBOX | tab, idUseCurrentMode, g1x + 8, g1y + 20, 109, 17);
    HWND modes = Add(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | tab, idVideoMode, g1x + 8, g1y + 44, 113,
                     21 + 120);
    for (const auto& mode : VideoModeTable)
        SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(mode.text).c_str()));
    EnableWindow(modes, FALSE);

    constexpr int g3x = 8, g3y = 156;
    Add(L"BUTTON", L"Effects", BS_GROUPBOX, -1, g3x, g3y, 141, 85);
    Add(L"BUTTON", L"Show glasses", BS_AUTOCHECKBOX | tab, idShowGlasses, g3x + 8, g3y + 18, 117, 17);
    Add(L"BUTTON", L"Reflection on skull", BS_AUTOCHECKBOX | tab, idReflectionOnSkull, g3x + 8, g3y + 40, 121, 17);
    Add(L"BUTTON", L"Reflection on glasses", BS_AUTOCHECKBOX | tab, idReflectionOnGlasses, g3x + 8, g3y + 60, 125,
        17);

    constexpr int g2x = 156, g2y = 72;
    Add(L"BUTTON", L"Rendering", BS_GROUPBOX, -1, g2x, g2y, 233, 169);
    AddLabel(L"Rotation speed", g2x + 7, g2y + 20);
    HWND speed = Add(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | TBS_BOTH | tab, idRotationSpeed, g2x + 4,
                     g2y + 36, 141, 36);
    SendMessageW(speed, TBM_SETRANGE, FALSE, MAKELPARAM(kMinRotationSpeed, kMaxRotationSpeed));
    SendMessageW(speed, TBM_SETTICFREQ, 1, 0);
    SendMessageW(speed, TBM_SETPOS, TRUE, 6);
    AddLabel(L"Slow", g2x + 10, g2y + 76);
    AddLabel(L"Fast", g2x + 117, g2y + 76);
    AddLabel(L"Timing (fps)", g2x + 155, g2y + 20);
    timingEdit_ = Add(WC_EDITW, L"50", ES_NUMBER | ES_AUTOHSCROLL | tab, idTiming, g2x + 156, g2y + 43, 65, 22,
                      WS_EX_CLIENTEDGE);
    SendMessageW(timingEdit_, EM_LIMITTEXT, 10, 0);
    timingSpin_ = Add(UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_HOTTRACK, idTimingSpin, 0, 0, 0, 0);
    SendMessageW(timingSpin_, UDM_SETRANGE32, kMinTimingFPS, kMaxTimingFPS);
    Add(L"BUTTON", L"Show real fps rate", BS_AUTOCHECKBOX | tab, idShowRealFPS, g2x + 8, g2y + 100, 113, 17);
    Add(L"BUTTON", L"Show activity time ", BS_AUTOCHECKBOX | tab, idShowActivityTime, g2x + 8, g2y + 122, 113, 17);
    Add(L"BUTTON", L"Enable sounds", BS_AUTOCHECKBOX | tab, idEnableSounds, g2x + 8, g2y + 144, 97, 17);

    Add(L"STATIC", L"", SS_ETCHEDHORZ, -1, 8, 292, 382, 2);
    Add(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | tab, IDOK, 8, 304, 70, 25);
    Add(L"BUTTON", L"Cancel", BS_PUSHBUTTON | tab, IDCANCEL, 84, 304, 70, 25);
    Add(L"BUTTON", L"Help", BS_PUSHBUTTON | tab, idBtnHelp, 319, 304, 70, 25);
    LayOutControls();
}

void SettingsForm::FormShow() {
    const SettingsFormState s = LoadSettingsForm(registry_);
    SendDlgItemMessageW(dialog_, idRotationSpeed, TBM_SETPOS, TRUE, s.rotationSpeed);
    SetDlgItemInt(dialog_, idTiming, static_cast<UINT>(s.timing), FALSE);
    Check(idShowRealFPS, s.showRealFPS);
    Check(idShowActivityTime, s.showActivityTime);
    Check(idEnableSounds, s.enableSounds);
    Check(idShowGlasses, s.showGlasses);
    Check(idReflectionOnSkull, s.reflectionOnSkull);
    Check(idReflectionOnGlasses, s.reflectionOnGlasses);
    Check(idUseCurrentMode, s.useCurrentMode);
    cbxUseCurrentModeClick();  // as a click on the box would
    SendDlgItemMessageW(dialog_, idVideoMode, CB_SETCURSEL, static_cast<WPARAM>(s.videoMode), 0);
}

void SettingsForm::cbxUseCurrentModeClick() {
    EnableWindow(Item(idVideoMode), VideoModeListEnabled(Checked(idUseCurrentMode)));
}

SettingsFormState SettingsForm::ReadControls() const {
    SettingsFormState s;
    s.rotationSpeed = static_cast<int>(SendDlgItemMessageW(dialog_, idRotationSpeed, TBM_GETPOS, 0, 0));
    s.timing = TimingFromText(WindowText(Item(idTiming)));
    s.showRealFPS = Checked(idShowRealFPS);
    s.showActivityTime = Checked(idShowActivityTime);
    s.enableSounds = Checked(idEnableSounds);
    s.showGlasses = Checked(idShowGlasses);
    s.reflectionOnSkull = Checked(idReflectionOnSkull);
    s.reflectionOnGlasses = Checked(idReflectionOnGlasses);
    s.useCurrentMode = Checked(idUseCurrentMode);
    const auto selected = SendDlgItemMessageW(dialog_, idVideoMode, CB_GETCURSEL, 0, 0);
    s.videoMode = selected == CB_ERR ? kNoVideoMode : static_cast<int>(selected);
    return s;
}

void SettingsForm::btnOkClick() {
    const OkOutcome outcome = SettingsFormOk(registry_, ReadControls(), WindowText(Item(idTiming)));
    if (outcome.close) {
        DestroyWindow(dialog_);
        return;
    }
    NormaliseTiming();
    MessageBoxW(dialog_, Widen(outcome.errorText).c_str(), Widen(kApplicationTitle).c_str(), MB_OK | MB_ICONSTOP);
}

void SettingsForm::NormaliseTiming() {
    const int value = TimingFromText(WindowText(Item(idTiming)));
    if (WindowText(Item(idTiming)) != std::to_string(value))
        SetDlgItemInt(dialog_, idTiming, static_cast<UINT>(value), FALSE);
}

void SettingsForm::ShowHelp() {
    const std::string file = HelpTopicPath(GetInstallFolder(registry_, ExecutablePath()));
    if (!htmlHelp_) return;
    // Owned by the desktop, so the help stays open when the dialog closes.
    htmlHelp_(GetDesktopWindow(), ToAnsi(file).c_str(), kHtmlHelpDisplayTopic, 0);
}

void SettingsForm::GetMoreLabelClick() {
    const std::string program = ExecutablePath();
    const std::string shortcut =
        WebShortcutPath(GetInstallFolder(registry_, program), FolderOfProgram(program), FileExists);
    ShellExecuteW(nullptr, L"open", Widen(shortcut).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void SettingsForm::ShowError(const std::string& message) {
    MessageBoxW(dialog_, Widen(DialogErrorText(message)).c_str(), Widen(kApplicationTitle).c_str(),
                MB_OK | MB_ICONSTOP);
}

// A dialog frame without items; the controls are made in WM_INITDIALOG, where the
// system's dots per inch are known.
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

}  // namespace
}  // namespace vtl::win32

HWND vtl::win32::CreateSettingsDialog(IRegistry& registry) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    auto form = std::make_unique<SettingsForm>(registry);
    const auto dialogTemplate = EmptyDialogTemplate();
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
                                             &SettingsForm::DialogProc, reinterpret_cast<LPARAM>(form.get()));
    if (!dialog) return nullptr;  // the form was never attached: it goes with this scope
    form.release();                // the dialog frees it when destroyed
    ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

int RunSettingsDialog(vtl::IRegistry& registry) {
    HWND dialog = vtl::win32::CreateSettingsDialog(registry);
    if (!dialog) return 0;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool inDialog = IsWindow(dialog) && (message.hwnd == dialog || IsChild(dialog, message.hwnd));
        // F1 anywhere in the dialog asks for the form's help, through the dialog's own
        // handling of errors.
        if (inDialog && message.message == WM_KEYDOWN && message.wParam == VK_F1) {
            SendMessageW(dialog, vtl::win32::kShowHelpMessage, 0, 0);
            continue;
        }
        if (inDialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
