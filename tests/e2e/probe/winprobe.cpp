// Looks at and pokes the windows of the program under test from a second
// process on the same (Wine) desktop, for the end-to-end tests.
//
//   winprobe list                         every top-level window, one JSON object a line
//   winprobe post HWND MESSAGE WPARAM LPARAM
//   winprobe send HWND MESSAGE WPARAM LPARAM   prints the result
//   winprobe exit CODE                    ends with CODE (to check how exit codes come through)
//
// Numbers may be decimal or 0x-hex. A window's object holds its handle,
// process and thread ids, owner, class, title, style, extended style,
// visibility, window and client rectangles (screen pixels), the X11 window
// that Wine made for it, and its child controls with their texts; a list
// box child also lists its entries and its selection.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Texts of another process's controls come by WM_GETTEXT, which the system
// carries across processes; a hung window must not hang the probe.
const UINT SEND_TIMEOUT_MS = 2000;

// Texts are read as UTF-16 (the system keeps them so, and carries them across
// processes so) and written as JSON with everything outside ASCII escaped.
void printJsonString(const wchar_t* text) {
    std::putchar('"');
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'"' || *c == L'\\') std::printf("\\%c", (char)*c);
        else if (*c < 0x20 || *c >= 0x7F) std::printf("\\u%04x", (unsigned)*c);
        else std::putchar((char)*c);
    }
    std::putchar('"');
}

void windowText(HWND window, wchar_t* text, size_t length) {
    DWORD_PTR copied = 0;
    text[0] = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length, (LPARAM)text, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied)) {
        GetWindowTextW(window, text, (int)length);
    }
    text[length - 1] = 0;
}

unsigned long long handleValue(HANDLE handle) { return (unsigned long long)(uintptr_t)handle; }

void printRect(const char* name, const RECT& rect) {
    std::printf(", \"%s\": [%ld, %ld, %ld, %ld]", name, rect.left, rect.top, rect.right, rect.bottom);
}

void printListBoxItems(HWND listBox) {
    DWORD_PTR count = 0, selected = 0;
    SendMessageTimeoutA(listBox, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &count);
    SendMessageTimeoutA(listBox, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &selected);
    std::printf(", \"selected\": %d, \"items\": [", (int)(LRESULT)selected);
    for (int i = 0; i < (int)(LRESULT)count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(listBox, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &length);
        wchar_t item[1024] = L"";
        if ((LRESULT)length >= 0 && length < sizeof item / sizeof item[0]) {
            SendMessageTimeoutW(listBox, LB_GETTEXT, i, (LPARAM)item, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &length);
        }
        if (i) std::printf(", ");
        printJsonString(item);
    }
    std::printf("]");
}

void printWindowFields(HWND window) {
    wchar_t className[256] = L"";
    wchar_t text[4096];
    GetClassNameW(window, className, 256);
    windowText(window, text, 4096);
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("\"hwnd\": \"0x%llx\", \"id\": %lld, \"class\": ", handleValue(window),
                (long long)GetWindowLongPtrA(window, GWLP_ID));
    printJsonString(className);
    std::printf(", \"text\": ");
    printJsonString(text);
    std::printf(", \"style\": \"0x%08lx\", \"exstyle\": \"0x%08lx\", \"visible\": %s",
                (unsigned long)GetWindowLongA(window, GWL_STYLE), (unsigned long)GetWindowLongA(window, GWL_EXSTYLE),
                IsWindowVisible(window) ? "true" : "false");
    printRect("rect", rect);
    if (lstrcmpiW(className, L"ListBox") == 0) printListBoxItems(window);
}

BOOL CALLBACK printChild(HWND child, LPARAM first) {
    if (!*(bool*)first) std::printf(", ");
    *(bool*)first = false;
    std::printf("{");
    printWindowFields(child);
    std::printf("}");
    return TRUE;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM) {
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("{");
    printWindowFields(window);
    std::printf(", \"pid\": %lu, \"tid\": %lu, \"owner\": \"0x%llx\", \"x11\": %llu", (unsigned long)processId,
                (unsigned long)threadId, handleValue(GetWindow(window, GW_OWNER)),
                handleValue(GetPropA(window, "__wine_x11_whole_window")));
    RECT clientOnScreen = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    printRect("client", clientOnScreen);
    std::printf(", \"children\": [");
    bool first = true;
    EnumChildWindows(window, printChild, (LPARAM)&first);
    std::printf("]}\n");
    return TRUE;
}

unsigned long long number(const char* text) { return std::strtoull(text, nullptr, 0); }

int usage() {
    std::fprintf(stderr, "usage: winprobe list | post|send HWND MESSAGE WPARAM LPARAM | exit CODE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const char* command = argv[1];
    if (std::strcmp(command, "list") == 0) {
        EnumWindows(printTopLevel, 0);
        return 0;
    }
    if (std::strcmp(command, "exit") == 0 && argc == 3) return (int)number(argv[2]);
    if ((std::strcmp(command, "post") == 0 || std::strcmp(command, "send") == 0) && argc == 6) {
        const HWND window = (HWND)(uintptr_t)number(argv[2]);
        const UINT message = (UINT)number(argv[3]);
        const WPARAM wParam = (WPARAM)number(argv[4]);
        const LPARAM lParam = (LPARAM)number(argv[5]);
        if (command[0] == 'p') return PostMessageA(window, message, wParam, lParam) ? 0 : 1;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result)) return 1;
        std::printf("%lld\n", (long long)(LRESULT)result);
        return 0;
    }
    return usage();
}
