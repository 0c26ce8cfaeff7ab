// The Win32 backend: message boxes, the window and its GDI presentation, keys, the
// multimedia clock and the debugger output. The music is in win32_audio.cpp.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <dwmapi.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>

#include "platform/platform.h"

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;
constexpr const char* kClassName = "Dorminax";

HWND window = nullptr;
HDC deviceContext = nullptr;  // the window's own (CS_OWNDC), kept while it is open
bool fullScreen = false;
bool windowPaced = false;  // --vsync
bool cursorHidden = false;

// The frame last presented, 0x00RRGGBB, kept so that WM_PAINT can draw it again.
uint32_t shownPixels[kWidth * kHeight];
bool framePresented = false;

// What the window procedure made of the messages it was given, for pollMessage.
std::deque<platform::Message> pendingMessages;

// The keys the window saw go down. A release counts only after a press, as in SDL: the
// release of the key that closed the start-up question reaches the new window and must
// not act.
bool keyDown[256];

// A 32-bit top-down DIB whose colour masks read 0x00RRGGBB.
struct FrameBitmapInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};
FrameBitmapInfo frameInfo;

void fillFrameInfo() {
    std::memset(&frameInfo, 0, sizeof frameInfo);
    frameInfo.header.biSize = sizeof(BITMAPINFOHEADER);
    frameInfo.header.biWidth = kWidth;
    frameInfo.header.biHeight = -kHeight;  // negative: row 0 at the top
    frameInfo.header.biPlanes = 1;
    frameInfo.header.biBitCount = 32;
    frameInfo.header.biCompression = BI_BITFIELDS;
    frameInfo.masks[0] = 0x00FF0000;
    frameInfo.masks[1] = 0x0000FF00;
    frameInfo.masks[2] = 0x000000FF;
}

void fillBlack(HDC dc, int left, int top, int right, int bottom) {
    if (right > left && bottom > top) PatBlt(dc, left, top, right - left, bottom - top, BLACKNESS);
}

// The frame at the largest whole factor that fits the client area (at least 1), centred
// on black.
void drawFrame(HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return;  // minimised
    const int scale = std::max(1, std::min(width / kWidth, height / kHeight));
    const int left = (width - kWidth * scale) / 2;
    const int top = (height - kHeight * scale) / 2;
    const int right = left + kWidth * scale;
    const int bottom = top + kHeight * scale;
    fillBlack(dc, 0, 0, width, top);
    fillBlack(dc, 0, bottom, width, height);
    fillBlack(dc, 0, top, left, bottom);
    fillBlack(dc, right, top, width, bottom);
    if (!framePresented) {
        fillBlack(dc, left, top, right, bottom);
        return;
    }
    StretchDIBits(dc, left, top, right - left, bottom - top, 0, 0, kWidth, kHeight, shownPixels,
                  reinterpret_cast<const BITMAPINFO*>(&frameInfo), DIB_RGB_COLORS, SRCCOPY);
}

// The demo's key codes are Windows' own virtual-key codes.
int demoKey(WPARAM key) {
    switch (key) {
        case VK_ESCAPE: return platform::kKeyEscape;
        case VK_SPACE: return platform::kKeySpace;
        case 'S': return platform::kKeyS;
        case 'P': return platform::kKeyP;
        case 'G': return platform::kKeyG;
        case VK_LEFT: return platform::kKeyLeft;
        case VK_RIGHT: return platform::kKeyRight;
        case VK_UP: return platform::kKeyUp;
        case VK_DOWN: return platform::kKeyDown;
        case VK_PRIOR: return platform::kKeyPageUp;
        case VK_NEXT: return platform::kKeyPageDown;
        case VK_HOME: return platform::kKeyHome;
        case VK_OEM_COMMA: return platform::kKeyComma;
        case VK_OEM_PERIOD: return platform::kKeyPeriod;
        default: break;
    }
    if (key >= '1' && key <= '9') return platform::kKey1 + int(key - '1');
    return 0;
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // The demo ends its loop and destroys the window itself, at exit.
            pendingMessages.push_back({platform::MessageType::Close, 0});
            return 0;
        case WM_DESTROY:
            // Destroyed by anyone but closeWindow.
            if (hwnd == window) pendingMessages.push_back({platform::MessageType::Destroy, 0});
            break;
        case WM_KEYDOWN:
            keyDown[wParam & 0xFF] = true;
            break;
        case WM_KEYUP:
            if (!keyDown[wParam & 0xFF]) break;
            keyDown[wParam & 0xFF] = false;
            if (const int key = demoKey(wParam))
                pendingMessages.push_back({platform::MessageType::KeyUp, key});
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            drawFrame(hwnd, dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // drawFrame covers every pixel; erasing first would flicker
        case WM_SYSCOMMAND:
            // A lone Alt or F10 would enter the window menu's modal loop and stop the show.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) return 0;
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Programs that count in real pixels (the manifest says the demo does) scale their
// windows by the screen's own factor: rounded, so that 150 % and 200 % both double.
int screenScale() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return std::max(1, (dpi + 48) / 96);
}

struct Placement {
    DWORD style;
    RECT rect;
};

// A resizable window whose client area is scale x 320x240, centred in the primary
// monitor's work area, its title bar kept on screen.
Placement windowedPlacement(int scale) {
    const int factor = scale * screenScale();
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    RECT rect = {0, 0, kWidth * factor, kHeight * factor};
    AdjustWindowRect(&rect, style, FALSE);
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int x = std::max<int>(area.left, (area.left + area.right - width) / 2);
    const int y = std::max<int>(area.top, (area.top + area.bottom - height) / 2);
    return {style, {x, y, x + width, y + height}};
}

// A borderless window over the whole primary monitor.
Placement fullScreenPlacement() {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        rect = info.rcMonitor;
    return {WS_POPUP | WS_VISIBLE, rect};
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);  // fails harmlessly when a window was opened before
}

void showCursor(bool show) {
    if (cursorHidden == !show) return;
    ShowCursor(show ? TRUE : FALSE);
    cursorHidden = !show;
}

// A GUI program has no console. Started from one (cmd, PowerShell), the demo writes its
// --help text, command-line faults and frame rate there, unless the parent redirected
// them; started from Explorer there is none, and the boxes say what matters.
bool hasStdHandle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

struct ParentConsole {
    ParentConsole() {
        const bool outMissing = !hasStdHandle(STD_OUTPUT_HANDLE);
        const bool errorMissing = !hasStdHandle(STD_ERROR_HANDLE);
        if (!(outMissing || errorMissing) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
        if (outMissing) std::freopen("CONOUT$", "w", stdout);
        if (errorMissing) std::freopen("CONOUT$", "w", stderr);
    }
};
const ParentConsole parentConsole;

}  // namespace

namespace platform {

bool askYesNo(const char* text, const char* caption) {
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

void showErrorBox(const char* text, const char* caption) {
    // Also on standard error, so a run from a console keeps the reason.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    showCursor(true);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

bool paceWindowByDisplay(bool paced) {
    windowPaced = paced;
    return paced;
}

DisplayFailure openWindow(bool fullScreenWanted, int scale, const char* title) {
    fullScreen = fullScreenWanted;
    pendingMessages.clear();
    std::memset(keyDown, 0, sizeof keyDown);
    framePresented = false;
    fillFrameInfo();
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    registerWindowClass(instance);
    const Placement place = fullScreen ? fullScreenPlacement() : windowedPlacement(scale);
    window = CreateWindowExA(0, kClassName, title, place.style, place.rect.left, place.rect.top,
                             place.rect.right - place.rect.left,
                             place.rect.bottom - place.rect.top, nullptr, nullptr, instance,
                             nullptr);
    if (!window) return DisplayFailure::Window;
    deviceContext = GetDC(window);
    if (!deviceContext) return DisplayFailure::Renderer;
    SetStretchBltMode(deviceContext, COLORONCOLOR);  // whole factors: nearest neighbour
    SetForegroundWindow(window);
    if (fullScreen) showCursor(false);
    // Millisecond clock steps for smooth animation; the display stays on during the show.
    timeBeginPeriod(1);
    SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
    return DisplayFailure::None;
}

int largestWindowScale() {
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int scale = 1;
    for (; scale < 64; ++scale) {
        const RECT rect = windowedPlacement(scale + 1).rect;  // the window with its frame
        if (rect.right - rect.left > area.right - area.left ||
            rect.bottom - rect.top > area.bottom - area.top)
            break;
    }
    return scale;
}

void closeWindow() {
    const HWND closing = window;
    window = nullptr;  // its WM_DESTROY is no message for the demo
    if (deviceContext) ReleaseDC(closing, deviceContext);
    deviceContext = nullptr;
    if (!closing) return;
    DestroyWindow(closing);
    showCursor(true);
    SetThreadExecutionState(ES_CONTINUOUS);
    timeEndPeriod(1);
}

void presentPixels(const uint32_t* pixels) {
    std::memcpy(shownPixels, pixels, sizeof shownPixels);
    framePresented = true;
    drawFrame(window, deviceContext);
    if (fullScreen || windowPaced) {
        // Paced by the compositor, which shows a frame at each refresh of the display.
        GdiFlush();
        DwmFlush();
    }
}

void setWindowTitle(const char* title) { SetWindowTextA(window, title); }

bool pollMessage(Message& message) {
    MSG msg;
    while (pendingMessages.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            pendingMessages.push_back({MessageType::Close, 0});
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (pendingMessages.empty()) return false;
    message = pendingMessages.front();
    pendingMessages.pop_front();
    return true;
}

// The thread's own key state: Shift held while the demo's window has the keyboard.
bool isShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

void runMainLoop(bool (*pass)(), void (*done)()) {
    while (pass()) {
    }
    done();
}

void offerFile(const char*) {}  // a screenshot stays in the working directory

void idle(uint32_t milliseconds) { Sleep(milliseconds); }

// The window title carries the player's time line; there is no player of Windows' own.
void showChapters(const Chapter*, int) {}
void showPlayerPosition(const PlayerPosition&) {}

uint32_t ticks() { return timeGetTime(); }

void debugOutput(const char* text) {
    OutputDebugStringA(text);
    std::fputs(text, stderr);
    std::fflush(stderr);
}

}  // namespace platform
