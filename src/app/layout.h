// The installer window's geometry: the designed bounds of its controls and the layout rules
// run at start-up and on every resize. Pure arithmetic on rectangles.
#ifndef VELUMAR_APP_LAYOUT_H
#define VELUMAR_APP_LAYOUT_H

namespace velumar::app {

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const noexcept { return left + width; }
    int bottom() const noexcept { return top + height; }
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

namespace designed {
inline constexpr int windowWidth = 352;  // outer size before the layout runs
inline constexpr int windowHeight = 370;
inline constexpr Bounds contentPanel{0, -1, 352, 152};
inline constexpr Bounds bmpPanel{1, 1, 350, 150};
inline constexpr Bounds licenseScrollBox{-8, 150, 350, 105};
inline constexpr Bounds buttonPanel{-8, 279, 350, 63};
inline constexpr Bounds labCopying{1, 3, 419, 13};
inline constexpr Bounds progressBar{1, 20, 347, 11};
inline constexpr Bounds installBtn{182, 36, 80, 25};
inline constexpr Bounds doneBtn{268, 36, 80, 25};
inline constexpr Bounds cancelBtn{268, 36, 80, 25};
}  // namespace designed

inline constexpr int kLayoutWidth = 359;
inline constexpr int kMinimumWidth = 359;  // with a licence
inline constexpr int kMinimumHeight = 340;
inline constexpr int kLicenseMinimumHeight = 103;
inline constexpr int kButtonPanelHeight = 63;
inline constexpr int kInstallWidth = 80;
inline constexpr int kAcceptAndInstallWidth = 115;
inline constexpr int kInstallGap = 6;  // between the Install and Cancel buttons

// fitWindowHeight: the outer height that makes the client area hold the content panel, the
// licence memo (when shown, with its 4-pixel gap) and the button panel.
int fittedWindowHeight(int outerHeight, int clientHeight, const Bounds& contentPanel,
                       bool licenseShown, int licenseHeight) noexcept;

// Where FormResize puts the three top-level controls for a client area.
struct ResizedLayout {
    Bounds contentPanel;
    Bounds buttonPanel;
    Bounds licenseScrollBox;
};
ResizedLayout resizedLayout(int clientWidth, int clientHeight, const Bounds& contentPanel) noexcept;

// The button panel's children keep their distance to its right edge (top-right anchors; the
// progress bar is also anchored left, so it stretches).
struct ButtonRow {
    Bounds progressBar;
    Bounds installBtn;
    Bounds cancelBtn;  // the Close button shares its place
};
ButtonRow buttonRow(int panelWidth, int installWidth) noexcept;

}  // namespace velumar::app

#endif
