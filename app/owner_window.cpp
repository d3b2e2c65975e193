#include "run_repair.h"

namespace {
const char WindowClassName[] = "Quorvel";
}

LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateOwnerWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = OwnerWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WindowClassName;
    if (RegisterClassA(&windowClass) == 0) return nullptr;

    // Never shown: it exists only to own whatever the shell's resolve might display.
    HWND window =
        CreateWindowExA(0, WindowClassName, WindowClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) UnregisterClassA(WindowClassName, instance);
    return window;
}
