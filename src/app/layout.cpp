#include "app/layout.h"

#include <algorithm>

namespace velumar::app {

int fittedWindowHeight(int outerHeight, int clientHeight, const Bounds& contentPanel,
                       bool licenseShown, int licenseHeight) noexcept {
    int height = (outerHeight - clientHeight) + contentPanel.top + contentPanel.height;
    if (licenseShown) height += licenseHeight + 4;
    return height + kButtonPanelHeight;
}

ResizedLayout resizedLayout(int clientWidth, int clientHeight,
                            const Bounds& contentPanel) noexcept {
    ResizedLayout layout;
    layout.contentPanel = {contentPanel.left, contentPanel.top, clientWidth, contentPanel.height};
    layout.buttonPanel = {0, clientHeight - kButtonPanelHeight, clientWidth, kButtonPanelHeight};
    const int contentBottom = contentPanel.bottom();
    layout.licenseScrollBox = {
        0, contentBottom + 2, clientWidth,
        std::max(kLicenseMinimumHeight, layout.buttonPanel.top - contentBottom - 6)};
    return layout;
}

ButtonRow buttonRow(int panelWidth, int installWidth) noexcept {
    const int designedWidth = designed::buttonPanel.width;
    ButtonRow row;
    row.progressBar = designed::progressBar;
    row.progressBar.width += panelWidth - designedWidth;
    row.cancelBtn = designed::cancelBtn;
    row.cancelBtn.left += panelWidth - designedWidth;
    row.installBtn = designed::installBtn;
    row.installBtn.width = installWidth;
    row.installBtn.left = row.cancelBtn.left - installWidth - kInstallGap;
    return row;
}

}  // namespace velumar::app
