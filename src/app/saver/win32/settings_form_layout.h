#pragma once
// The settings form's controls at the DPI of the monitor the form stands on: made at
// their design rectangles scaled from 96 dots per inch, and given new fonts and places
// when the form moves to a monitor of another DPI, always from the design, so moving
// back and forth never drifts.
#include <windows.h>

#include <vector>

#include "app/saver/win32/settings_form_template.h"

namespace vtl::win32 {

class FormLayout {
public:
    FormLayout() = default;
    ~FormLayout();
    FormLayout(const FormLayout&) = delete;
    FormLayout& operator=(const FormLayout&) = delete;

    // Makes the fonts and every control of `controls` in `dialog`, in their order.
    void Create(HWND dialog, int dpi, const std::vector<ControlDesign>& controls);
    // New fonts and places for another DPI; nothing when it is the current one.
    void ChangeDpi(int dpi);

    int Dpi() const { return dpi_; }
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    // The label that acts as a link: it draws in navy and shows the hand cursor.
    HWND Link() const { return link_; }

private:
    struct Placement {
        HWND control;
        const ControlDesign* item;
    };
    void MakeFonts();
    void LayOutControls();

    HWND dialog_ = nullptr;
    int dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HWND link_ = nullptr;
    std::vector<Placement> placements_;
};

}  // namespace vtl::win32
