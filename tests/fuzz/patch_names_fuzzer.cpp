// libFuzzer target: the patch-name file reader and the menu built from it.
// Whatever the file holds, the table has at most 1000 names, at most one per
// line of the file (up to a Ctrl-Z) and at least one per line before the
// first that may end the list, each at most 126 characters with no line
// break or Ctrl-Z in it; the patch menu has one item per name, with ids from
// 1000 up; and the name of any program is a terminated string.
#include "app/commands.h"
#include "devices/popup_menus.h"
#include "model/patch_names.h"
#include "tests/fake/fake_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const size_t MAX_ITEMS = 1000;
const size_t MAX_NAME_LENGTH = 126;
const char CONTROL_Z = 0x1A;

// Control characters and bytes above 127 as \xNN, so the report stays text.
std::string shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
        out += escaped;
    }
    return "\"" + out + "\"";
}

char g_home[4096];
char g_folder[64];

void removeFolder() {
    std::remove((std::string(g_folder) + "/gm_ins.nms").c_str());
    rmdir(g_folder);
}

[[noreturn]] void fail(const std::string& reason) {
    std::fprintf(stderr, "patch_names_fuzzer: %s\n", reason.c_str());
    removeFolder();
    std::abort();
}

struct FileLines {
    size_t total = 0;    // lines up to the first Ctrl-Z, a last one without LF too
    size_t leading = 0;  // of these, the first ones that surely name a patch
    bool unsure = false; // a line that might end the list was seen
};

// A line that begins with a printable character names a patch however CR,
// NUL and the length of the line are read; any other line might end the list.
FileLines linesOf(const uint8_t* data, size_t size) {
    const void* cut = std::memchr(data, CONTROL_Z, size);
    const size_t end = cut ? (size_t)((const uint8_t*)cut - data) : size;
    FileLines lines;
    size_t start = 0;
    while (start < end) {
        const void* newline = std::memchr(data + start, '\n', end - start);
        const size_t stop = newline ? (size_t)((const uint8_t*)newline - data) : end;
        ++lines.total;
        const bool printable = stop > start && data[start] >= 0x20 && data[start] < 0x7F;
        if (!printable) lines.unsure = true;
        if (!lines.unsure) ++lines.leading;
        start = stop + 1;
    }
    return lines;
}

void writeFile(const uint8_t* data, size_t size) {
    const std::string path = std::string(g_folder) + "/gm_ins.nms";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) fail("cannot write the file");
}

void checkNames() {
    for (size_t i = 0; i < g_patchNames.count; ++i) {
        const std::string name = patchName((int32_t)i);
        const std::string entry = "name " + std::to_string(i) + " ";
        if (name.size() > MAX_NAME_LENGTH) fail(entry + "is longer than 126: " + shown(name));
        if (name.find('\n') != std::string::npos) fail(entry + "holds a line break: " + shown(name));
        if (name.find(CONTROL_Z) != std::string::npos) fail(entry + "holds a Ctrl-Z: " + shown(name));
    }
    for (int32_t program = -5; program <= 1200; ++program) {
        if (!std::memchr(patchName(program), 0, PATCH_NAME_LENGTH + 1)) {
            fail("the name of program " + std::to_string(program) + " is not ended");
        }
    }
}

// One item per name, in order, its id the first patch command's + index.
void checkPatchItems() {
    size_t items = 0;
    for (size_t i = 0; i < fake::callCount(); ++i) {
        const fake::Call& call = fake::call(i);
        if (call.fn != fake::Fn::InsertMenuItemA || call.args[0] != (intptr_t)g_menus.PatchMenu) continue;
        if ((size_t)call.args[1] != items || (size_t)call.args[6] != CMD_PATCH_ITEMS + items) {
            fail("item " + std::to_string(items) + " has position " + std::to_string(call.args[1]) + " and id " +
                 std::to_string(call.args[6]));
        }
        ++items;
    }
    if (items != g_patchNames.count)
        fail(std::to_string(items) + " items for " + std::to_string(g_patchNames.count) + " names");
}

} // namespace

// The reader opens the file in the current folder: a private one, entered
// only while reading, so that the fuzzer's own paths stay relative to the
// folder it was started in.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/tonvale-fuzz-XXXXXX";
    if (!mkdtemp(folder) || !getcwd(g_home, sizeof g_home)) std::abort();
    std::snprintf(g_folder, sizeof g_folder, "%s", folder);
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeFile(data, size);
    fake::reset();
    g_menus = PopupMenus{};
    if (chdir(g_folder) != 0) fail("cannot enter the folder");
    const bool read = loadPatchNames();
    if (chdir(g_home) != 0 || !read) fail("the file was not read");
    buildPopupMenus(MenuItemIds{CMD_PATCH_ITEMS, CMD_CHANNEL_ITEMS, CMD_OCTAVE_ITEMS});
    checkPatchItems();
    const size_t items = g_patchNames.count;
    const FileLines lines = linesOf(data, size);
    if (items > MAX_ITEMS) fail(std::to_string(items) + " items, more than 1000");
    if (items > lines.total) {
        fail(std::to_string(items) + " items from " + std::to_string(lines.total) + " lines: a line read as several");
    }
    if (items < std::min(lines.leading, MAX_ITEMS)) {
        fail(std::to_string(items) + " items, but the first " + std::to_string(lines.leading) +
             " lines all name a patch: the list ended early");
    }
    checkNames();
    destroyPopupMenus();
    return 0;
}
