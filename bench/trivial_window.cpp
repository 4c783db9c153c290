// bench_trivial_window: the least any Windows program does to put a window
// on screen, with no toolkit at all: a class, a window the size of the help
// window, and the message loop. The floor of floors for start-up under Wine;
// bench/wine-startup watches it by its title, as it watches the program.

#define UNICODE
#include <windows.h>

namespace {

LRESULT CALLBACK handle(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSW type{};
    type.lpfnWndProc = handle;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = L"bench_trivial_window";
    RegisterClassW(&type);
    HWND window = CreateWindowExW(0, type.lpszClassName, L"bench_floor_window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 473, 566, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
