#include "app/saver/win32/settings_form_layout.h"

#include <commctrl.h>

namespace vtl::win32 {
namespace {

HFONT FormFont(int height, bool link) {
    return CreateFontW(-height, 0, 0, 0, link ? FW_BOLD : FW_NORMAL, FALSE, link ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       L"MS Sans Serif");
}

}  // namespace

FormLayout::~FormLayout() {
    if (font_) DeleteObject(font_);
    if (linkFont_) DeleteObject(linkFont_);
}

void FormLayout::Create(HWND dialog, int dpi, const std::vector<ControlDesign>& controls) {
    dialog_ = dialog;
    dpi_ = dpi;
    MakeFonts();
    for (const ControlDesign& item : controls) {
        const RECT& d = item.design;
        HWND control =
            CreateWindowExW(item.exStyle, item.windowClass, item.text.c_str(), WS_CHILD | WS_VISIBLE | item.style,
                            Scale(d.left), Scale(d.top), Scale(d.right), Scale(d.bottom), dialog_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), GetModuleHandleW(nullptr), nullptr);
        if (!control) continue;
        if (item.fit == Fit::Link) link_ = control;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(item.fit == Fit::Link ? linkFont_ : font_), FALSE);
        placements_.push_back({control, &item});
    }
    LayOutControls();
}

void FormLayout::ChangeDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    MakeFonts();
    LayOutControls();
}

void FormLayout::MakeFonts() {
    HFONT oldFont = font_, oldLinkFont = linkFont_;
    font_ = FormFont(Scale(11), false);
    linkFont_ = FormFont(Scale(11), true);
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    for (const Placement& placed : placements_) {
        const HFONT font = placed.control == link_ ? linkFont_ : font_;
        SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // Deleted only once no control draws with them any more.
    if (oldFont) DeleteObject(oldFont);
    if (oldLinkFont) DeleteObject(oldLinkFont);
}

void FormLayout::LayOutControls() {
    HDC dc = GetDC(dialog_);
    HGDIOBJ old = SelectObject(dc, font_);
    for (const Placement& placed : placements_) {
        if (placed.item->fit == Fit::Buddy) continue;  // it follows its control below
        const RECT& d = placed.item->design;
        int width = Scale(d.right), height = Scale(d.bottom);
        if (placed.item->fit == Fit::Text) {
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
    // Up-down arrows stand inside the right end of their control, which they take from
    // its width each time they are attached.
    for (std::size_t i = 1; i < placements_.size(); ++i)
        if (placements_[i].item->fit == Fit::Buddy)
            SendMessageW(placements_[i].control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(placements_[i - 1].control), 0);
}

}  // namespace vtl::win32
