// The settings dialog on Win32: a modeless dialog (the dialog manager gives Tab, Enter,
// Esc and the default button) whose standard controls are made from the form's
// template at the DPI of the monitor it stands on (settings_form_layout). What the
// controls show, what OK stores, how the timing field reads and what a failed write
// says are decided in settings/settingsform_logic; this file handles the form's
// messages and moves values in and out of the controls, setting by setting as the
// settings table lists them. Not done here: themes beyond what comctl32 v6 draws.
#include "app/saver/win32/settings_form.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>

#include "app/saver/apperror.h"
#include "app/saver/scrutils.h"
#include "app/saver/win32/settings_form_help.h"
#include "app/saver/win32/settings_form_layout.h"
#include "app/saver/win32/settings_form_template.h"
#include "platform/win32/monitor_dpi.h"
#include "platform/win32/win32_text.h"
#include "settings/settingsform_logic.h"
#include "settings/settingsstore.h"

namespace vtl::win32 {
namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

class SettingsForm {
public:
    explicit SettingsForm(IRegistry& registry) : registry_(registry) {}
    SettingsForm(const SettingsForm&) = delete;
    SettingsForm& operator=(const SettingsForm&) = delete;

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FormCreate();
    void FormShow() { ShowState(LoadSettingsForm(registry_)); }
    void cbxUseCurrentModeClick();
    void btnOkClick();
    void btnCancelClick() { DestroyWindow(dialog_); }
    void btnHelpClick() { ShowHelp(); }
    void GetMoreLabelClick() { OpenWebShortcut(registry_); }
    void ShowHelp() { help_.ShowStartPage(registry_); }
    void NormaliseTiming();
    void ShowError(const std::string& message);
    INT_PTR TimingStep(const NMUPDOWN& step);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    void PrepareControls();
    void ShowState(const SettingsFormState& state);
    SettingsFormState ReadControls() const;
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

    IRegistry& registry_;
    HWND dialog_ = nullptr;
    FormLayout layout_;
    HtmlHelp help_;
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
        } catch (...) {}
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
            if (id == IDOK)
                btnOkClick();
            else if (id == IDCANCEL)
                btnCancelClick();
            else if (id == idBtnHelp && code == BN_CLICKED)
                btnHelpClick();
            else if (id == idUseCurrentMode && code == BN_CLICKED)
                cbxUseCurrentModeClick();
            else if (id == idGetMore && code == STN_CLICKED)
                GetMoreLabelClick();
            else if (id == idTiming && code == EN_KILLFOCUS)
                NormaliseTiming();
            else
                return FALSE;
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom != idTimingSpin || header->code != UDN_DELTAPOS) return FALSE;
            return TimingStep(*reinterpret_cast<const NMUPDOWN*>(lParam));
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) != layout_.Link()) return FALSE;
            SetTextColor(reinterpret_cast<HDC>(wParam), kNavy);
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != layout_.Link()) return FALSE;
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_HELP:
        case kShowHelpMessage: ShowHelp(); return TRUE;
        case WM_DPICHANGED: OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return TRUE;
        case WM_CLOSE: DestroyWindow(dialog_); return TRUE;
        case WM_DESTROY: PostQuitMessage(0); return TRUE;
        default: return FALSE;
    }
}

void SettingsForm::FormCreate() {
    help_.Load();
    SetWindowContextHelpId(dialog_, kSettingsHelpContext);
    LeaveDpiChangesToDialog(dialog_);
    // In the centre of the primary monitor, scaled for that monitor's DPI.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int dpi =
        static_cast<int>(MonitorDpi(MonitorFromPoint({screenWidth / 2, screenHeight / 2}, MONITOR_DEFAULTTOPRIMARY)));
    const RECT frame = FrameForClient(MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96), kFormStyle,
                                      kFormExStyle, static_cast<UINT>(dpi));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog_, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextW(dialog_, Widen(kSettingsFormCaption).c_str());
    layout_.Create(dialog_, dpi, FormControls());
    PrepareControls();
    ShowState(FormDesignState());
}

// The ranges and items the controls offer, from the settings they show.
void SettingsForm::PrepareControls() {
    HWND modes = Item(ControlIdOf(kVideoMode));
    for (const auto& mode : VideoModeTable)
        SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(mode.text).c_str()));
    HWND speed = Item(ControlIdOf(kSpeed));
    SendMessageW(speed, TBM_SETRANGE, FALSE, MAKELPARAM(kSpeed.low, kSpeed.high));
    SendMessageW(speed, TBM_SETTICFREQ, 1, 0);
    SendMessageW(Item(ControlIdOf(kTimingFPS)), EM_LIMITTEXT, 10, 0);
    SendMessageW(Item(idTimingSpin), UDM_SETRANGE32, kTimingFPS.low, kTimingFPS.high);
}

void SettingsForm::ShowState(const SettingsFormState& state) {
    for (const SettingDef& setting : kAllSettings) {
        const int id = ControlIdOf(setting);
        const std::int32_t value = state.Value(setting);
        switch (setting.control) {
            case DialogControl::TrackBar: SendDlgItemMessageW(dialog_, id, TBM_SETPOS, TRUE, value); break;
            case DialogControl::SpinEdit: SetDlgItemInt(dialog_, id, static_cast<UINT>(value), FALSE); break;
            case DialogControl::CheckBox: CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED); break;
            case DialogControl::DropDownList:
                SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
                break;
            case DialogControl::RegistryOnly: break;
        }
    }
    cbxUseCurrentModeClick();  // as a click on the box would
}

SettingsFormState SettingsForm::ReadControls() const {
    SettingsFormState state;
    for (const SettingDef& setting : kAllSettings) {
        const int id = ControlIdOf(setting);
        switch (setting.control) {
            case DialogControl::TrackBar:
                state.Set(setting, static_cast<std::int32_t>(SendDlgItemMessageW(dialog_, id, TBM_GETPOS, 0, 0)));
                break;
            case DialogControl::SpinEdit: state.Set(setting, SpinEditValue(setting, WindowText(Item(id)))); break;
            case DialogControl::CheckBox: state.SetChecked(setting, Checked(id)); break;
            case DialogControl::DropDownList: {
                const auto selected = SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0);
                state.Set(setting, selected == CB_ERR ? kNoVideoMode : static_cast<std::int32_t>(selected));
                break;
            }
            case DialogControl::RegistryOnly: break;
        }
    }
    return state;
}

void SettingsForm::cbxUseCurrentModeClick() {
    EnableWindow(Item(ControlIdOf(kVideoMode)), VideoModeListEnabled(Checked(ControlIdOf(kUseCurrentMode))));
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

INT_PTR SettingsForm::TimingStep(const NMUPDOWN& step) {
    const int value = StepTiming(WindowText(Item(idTiming)), step.iDelta);
    SetDlgItemInt(dialog_, idTiming, static_cast<UINT>(value), FALSE);
    SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);  // the field holds the value, not the arrows
    return TRUE;
}

void SettingsForm::OnDpiChanged(UINT dpi, const RECT& suggested) {
    layout_.ChangeDpi(static_cast<int>(dpi));
    SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog_, nullptr, TRUE);
}

void SettingsForm::ShowError(const std::string& message) {
    MessageBoxW(dialog_, Widen(DialogErrorText(message)).c_str(), Widen(kApplicationTitle).c_str(),
                MB_OK | MB_ICONSTOP);
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
    form.release();               // the dialog frees it when destroyed
    ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}
