#include "app/main_window.h"

#include "app/commands.h"
#include "base/program.h"
#include "base/window_messages.h"
#include "devices/device_watch.h"
#include "devices/input_device.h"
#include "devices/midi_device.h"
#include "devices/popup_menus.h"
#include "display/key_labels.h"
#include "display/paint_panel.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "display/repaint.h"
#include "input/background_keys.h"
#include "input/keyboard_input.h"
#include "input/midi_input.h"
#include "input/modulation_key.h"
#include "input/mouse_input.h"
#include "input/pitch_bend.h"
#include "input/strum_timer.h"
#include "model/chords.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "port/take_recorder.h"
#include "settings/settings.h"
#include "takes/takes.h"

namespace {

const char MAIN_CLASS_NAME[] = "Tonvale " TONVALE_VERSION " (beta)";
const LONG WINDOW_X = 415;
const LONG WINDOW_Y = 746;

// Where the panel's edge goes on one axis: where it has always stood, unless
// that leaves part of it outside the work area; then moved by the least
// distance that brings it inside, or to the start of a work area too small.
LONG placeWithin(LONG start, LONG size, LONG low, LONG high) {
    if (start + size > high) start = high - size;
    return start < low ? low : start;
}

// The window's rectangle with its corner there, at the size of the scale.
RECT panelAt(POINT corner, int32_t dpi) {
    return {corner.x, corner.y, corner.x + toPixels(PANEL_WIDTH, dpi), corner.y + toPixels(PANEL_HEIGHT, dpi)};
}

// Where the panel was left last time, if any of it would be on a screen;
// else where it has always stood, at a display scale where it stands at 100 %.
POINT startCorner(int32_t dpi) {
    const POINT standing = {toPixels(WINDOW_X, dpi), toPixels(WINDOW_Y, dpi)};
    POINT corner;
    if (!rememberedWindowPosition(&corner)) return standing;
    const RECT panel = panelAt(corner, dpi);
    return MonitorFromRect(&panel, MONITOR_DEFAULTTONULL) ? corner : standing;
}

// The panel wholly on the screen it would be on, so that a small screen
// does not hide most of it below its bottom edge.
RECT panelPlace(int32_t dpi) {
    const RECT panel = panelAt(startCorner(dpi), dpi);
    const LONG width = panel.right - panel.left, height = panel.bottom - panel.top;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&panel, MONITOR_DEFAULTTONEAREST), &monitor)) return panel;
    const RECT& work = monitor.rcWork;
    const LONG left = placeWithin(panel.left, width, work.left, work.right);
    const LONG top = placeWithin(panel.top, height, work.top, work.bottom);
    return {left, top, left + width, top + height};
}

void moveWindowTo(HWND window, const RECT& place) {
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Moved to a monitor of another scale: the panel is made again for the
// scale, takes the place the system suggests and is drawn whole.
void onDpiChanged(HWND window, int32_t dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    releasePanelSurfaces();
    createPanelSurfaces(window, dpi);
    moveWindowTo(window, suggested ? *suggested : panelPlace(dpi));
    InvalidateRect(window, nullptr, FALSE);
}

// A timer not in the table is not ours: the system's default handling.
LRESULT onTimer(HWND window, WPARAM id, LPARAM callback) {
    switch (id) {
    case TIMER_BEND_RAMP: onBendTimer(window); return 0;
    case TIMER_SETTINGS_SAVE: onSettingsTimer(window); return 0;
    case TIMER_TAKES: showPanelChange(window, onTakeTimer(window)); return 0;
    case TIMER_MODULATION: onModulationTimer(window); return 0;
    case TIMER_DEVICE_WATCH: onDeviceTimer(window); return 0;
    default: return DefWindowProcA(window, WM_TIMER, id, callback);
    }
}

// Runs inside window creation. False makes creation fail; the window is then
// destroyed at once and shutDown releases whatever was made here.
bool startUp(HWND window) {
    initSections();
    SetFocus(window);
    if (countOutputDevices() == 0) {
        showMessage(window, "There are no MIDI output devices installed");
        return false;
    }
    restoreSettings();
    if (!openStartDevice(window)) return false;
    openStartInput(window);
    if (!loadPatchNames()) {
        showMessage(window, "Cannot load patch names.");
        return false;
    }
    buildPopupMenus(MenuItemIds{CMD_PATCH_ITEMS, CMD_CHANNEL_ITEMS, CMD_OCTAVE_ITEMS});
    createPanelSurfaces(window, windowDpi(window));
    // Made at the size of 100 %, before its monitor's scale was known; still
    // hidden, the window takes the size and place of that scale.
    if (g_panel.dpi != BASE_DPI) moveWindowTo(window, panelPlace(g_panel.dpi));
    loadHandCursor();
    watchSettings(window);
    prepareRecorderSpace(); // the first take's first chunk
    startBackgroundKeys(window, MainWndProc);
    return true;
}

// The session ends once this returns: what is kept is written and the
// device silenced, as shut-down would.
void onEndSession(HWND window, bool ending) {
    if (!ending) return;
    saveSettingsNow();
    saveTakesNow();
    closeInput(window);
    closePort();
}

void paintWindow(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    paintPanel(dc);
    EndPaint(window, &paint);
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return startUp(window) ? 0 : -1;
    case WM_DESTROY: shutDown(window); return 0;
    case WM_PAINT: paintWindow(window); return 0;
    case WM_QUIT: shutDown(window); return 0; // only when sent straight to the window
    case WM_KEYDOWN:
    case WM_KEYUP:
        noteKey(window, wParam, lParam);
        onKeyMessage(window, wParam, lParam);
        return 0;
    case WM_MOVE: onWindowMoved(window); return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        noteKey(window, wParam, lParam);
        return onSystemKeyMessage(window, wParam, lParam) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    // From here key releases may go elsewhere: to another window, or to a
    // popup menu's modal loop.
    case WM_KILLFOCUS: onFocusLost(window); return 0;
    case WM_ENTERMENULOOP: onKeysLost(window); return 0;
    case WM_SETFOCUS: onFocusBack(); return 0;
    case WM_EXITMENULOOP: onKeysBack(); return 0;
    case WM_HOTKEY: onHotKey(window, wParam); return 0;
    case WM_WTSSESSION_CHANGE: onSessionChange(window, wParam); return 0;
    case WM_DEVICECHANGE: onDevicesChanged(window); return TRUE;
    case WM_CAPTURECHANGED: onCaptureChanged(window, (HWND)lParam); return 0;
    case WM_COMMAND: onCommand(window, wParam); return 0;
    case WM_TIMER: return onTimer(window, wParam, lParam);
    case MESSAGE_STRUM_DUE: onStrumDue(window, wParam); return 0;
    case MM_MIM_DATA: onMidiInput(window, wParam, lParam); return 0;
    case MM_MIM_CLOSE: onInputClosed(window, wParam); return 0;
    case WM_MOUSEMOVE: onMouseMove(window, lParam); return 0;
    case WM_LBUTTONDOWN: onLeftButtonDown(window, lParam); return 0;
    case WM_LBUTTONUP: onLeftButtonUp(window); return 0;
    case WM_RBUTTONDOWN: return onRightButtonDown(window, lParam) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    case WM_INPUTLANGCHANGE: forgetKeyNames(window); return DefWindowProcA(window, message, wParam, lParam);
    // Log-off or shut-down: the program is ended without WM_DESTROY.
    case WM_QUERYENDSESSION:
        saveSettingsNow();
        saveTakesNow();
        return TRUE;
    case WM_ENDSESSION: onEndSession(window, wParam != 0); return 0;
    case WM_DPICHANGED: onDpiChanged(window, LOWORD(wParam), (const RECT*)lParam); return 0;
    case MESSAGE_TAKE_WRITTEN: showPanelChange(window, onTakeWritten(window)); return 0;
    case MESSAGE_RECORDER_SPARE: prepareRecorderSpace(); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand) {
    if (!previousInstance && !registerMainClass(instance)) return 0;
    if (!createMainWindow(instance, showCommand)) return 0;
    MSG message = {};
    BOOL got;
    // -1 is an error, not a message: stop rather than dispatch garbage.
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        // Dispatched first, translated after: a key's note goes out before
        // the keyboard layout is consulted, which under Wine costs several
        // server round trips. No key of the program's is told by its
        // character; the system's own Alt keys still are.
        DispatchMessageA(&message);
        TranslateMessage(&message);
    }
    return got == 0 ? (int)message.wParam : 0; // the quit message's code
}

ATOM registerMainClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW; // no CS_DBLCLKS: a fast second click is a click
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    // The exe's own icon in the taskbar and Alt+Tab too; the small one is
    // the icon's own small image, not the large one shrunk.
    windowClass.hIcon = LoadIconA(instance, "APPICON");
    windowClass.hIconSm = (HICON)LoadImageA(instance, "APPICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                            GetSystemMetrics(SM_CYSMICON), 0);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = MAIN_CLASS_NAME;
    return RegisterClassExA(&windowClass);
}

bool createMainWindow(HINSTANCE instance, int showCommand) {
    g_program.instance = instance;
    loadSettings(); // the window goes where it was left
    const RECT place = panelPlace(BASE_DPI);
    const HWND window = CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_CLASS_NAME, WS_POPUP, place.left, place.top,
                                        PANEL_WIDTH, PANEL_HEIGHT, nullptr, nullptr, instance, nullptr);
    if (!window) {
        // Windows destroys a window whose start-up failed with WM_DESTROY, and
        // shutDown has run; Wine sends only WM_NCDESTROY. A device still held
        // means it did not: release it here, so it is reset and closed either way.
        if (g_port.handle) shutDown(nullptr);
        return false;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    tellStartUpNews(window);
    return true;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = handleMessage(window, message, wParam, lParam);
    // Whatever the message changed that is kept between runs, its setter marked.
    if (takeSettingsChange()) noteSettingsChange(window);
    // Whatever the message started or cut short of a strum.
    keepStrumTimer(window);
    watchDevice(window);
    return result;
}

void shutDown(HWND window) {
    stopStrums();
    closeInput(window); // what it sounds ends in the take too
    saveSettingsAtEnd();
    endTakes();
    releaseHandCursor();
    destroyPopupMenus();
    releasePanelSurfaces();
    stopBackgroundKeys(window);
    closePort(); // every sounding note is silenced before the device goes
    PostQuitMessage(0);
}
