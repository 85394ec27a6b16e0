// The least a Win32 program does to turn input into MIDI: a key press sends
// one note-on, a left button press one program change, through the same
// window position, focus and message loop as Tonvale but with nothing else;
// behind another window, Q's press through a low-level keyboard hook. Its
// start-up is as bare: the driver opened, the window shown and painted one
// colour. The benchmark measures it beside Tonvale, so Tonvale's latency
// and start-up are read against what Wine itself costs.
#include <windows.h>
#include <mmsystem.h>

namespace {

const char CLASS_NAME[] = "Tonvale floor";
const int WINDOW_X = 415, WINDOW_Y = 746, WINDOW_WIDTH = 800, WINDOW_HEIGHT = 250;
const DWORD NOTE_ON = 0x90 | 60 << 8 | 127 << 16;
const DWORD PROGRAM_CHANGE = 0xC0;
// Not the class brush's colour: the benchmark sees the window painted, not only erased.
const COLORREF PAINT_COLOUR = RGB(24, 24, 25);

HMIDIOUT midiOut;
HHOOK hook;

LRESULT CALLBACK floorKeyHook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && message == WM_KEYDOWN && ((const KBDLLHOOKSTRUCT*)data)->vkCode == 'Q') {
        midiOutShortMsg(midiOut, NOTE_ON);
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK floorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetFocus(window); // without a window manager, X focus is given only to a window that took it
        return midiOutOpen(&midiOut, 0, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR ? 0 : -1;
    case WM_KEYDOWN: midiOutShortMsg(midiOut, NOTE_ON); return 0;
    case WM_LBUTTONDOWN: midiOutShortMsg(midiOut, PROGRAM_CHANGE); return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        SetDCBrushColor(dc, PAINT_COLOUR);
        FillRect(dc, &paint.rcPaint, (HBRUSH)GetStockObject(DC_BRUSH));
        EndPaint(window, &paint);
        return 0;
    }
    // The hook is in only while another window has the keys, as Tonvale's is.
    case WM_KILLFOCUS:
        if (!hook) hook = SetWindowsHookExA(WH_KEYBOARD_LL, floorKeyHook, GetModuleHandleA(nullptr), 0);
        return 0;
    case WM_SETFOCUS:
        if (hook) UnhookWindowsHookEx(hook);
        hook = nullptr;
        return 0;
    case WM_DESTROY:
        midiOutClose(midiOut);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = floorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&windowClass)) return 1;
    const HWND window = CreateWindowExA(0, CLASS_NAME, CLASS_NAME, WS_POPUP, WINDOW_X, WINDOW_Y, WINDOW_WIDTH,
                                        WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    // No TranslateMessage: no characters are needed, and it is what the floor leaves out.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
