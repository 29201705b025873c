#include "app/application_win32.h"

#include "app/control_ids.h"

namespace velumar::app {

Application& Application::instance() {
    static Application application;
    return application;
}

void Application::initialize() {
    registerClass(kApplicationClass, nullptr);
    // A caption but no size: it only carries the title that the taskbar shows.
    createWindow(kApplicationClass, 0, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                 nullptr);
    // The one window of the program that the taskbar and Alt+Tab list: every other window is
    // owned by it.
    ::ShowWindow(handle(), SW_SHOWNA);
}

void Application::setTitle(const std::string& title) {
    ::SetWindowTextA(handle(), title.c_str());
}

std::string Application::title() const {
    return windowText(handle());
}

void Application::run(HWND mainWindow) {
    ::ShowWindow(handle(), SW_SHOWNA);
    // The main window is parked off-screen: shown without taking the activation away from the
    // installer window.
    if (mainWindow) ::ShowWindow(mainWindow, SW_SHOWNA);
    while (!terminated_ && handleOneMessage()) {
    }
}

void Application::terminate() {
    if (terminated_) return;
    terminated_ = true;
    ::PostQuitMessage(0);
}

void Application::processMessages() {
    processPendingMessages();
}

void Application::bringToFront(HWND window) {
    if (window) ::SetForegroundWindow(window);
}

bool Application::isActive() const {
    DWORD process = 0;
    ::GetWindowThreadProcessId(::GetForegroundWindow(), &process);
    return process == ::GetCurrentProcessId();
}

}  // namespace velumar::app
