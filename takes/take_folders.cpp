#include "takes/take_folders.h"

#include "base/files.h"

#include <cwchar>
#include <iterator>

namespace {

const WCHAR DOCUMENTS_FOLDER[] = L"Tonvale";
const WCHAR PORTABLE_FOLDER[] = L"Takes";
const WCHAR FALLBACK_FOLDER[] = L"Tonvale\\Takes";
const int SAME_NAME_LIMIT = 99;

bool shellFolder(int which, const WCHAR* below, WCHAR (&folder)[MAX_PATH]) {
    WCHAR shell[MAX_PATH];
    if (SHGetFolderPathW(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, shell) != S_OK) return false;
    return fitsWhole(std::swprintf(folder, std::size(folder), L"%ls\\%ls", shell, below), std::size(folder));
}

} // namespace

// Beside the program when its settings are (a portable install), else in
// the user's Documents.
bool takesFolder(WCHAR (&folder)[MAX_PATH]) {
    if (fileBesideProgram(SETTINGS_FILE_NAME, folder)) {
        const size_t length = folderLength(folder);
        return fitsWhole(std::swprintf(folder + length, std::size(folder) - length, L"%ls", PORTABLE_FOLDER),
                         std::size(folder) - length);
    }
    return shellFolder(CSIDL_PERSONAL, DOCUMENTS_FOLDER, folder);
}

bool fallbackFolder(WCHAR (&folder)[MAX_PATH]) { return shellFolder(CSIDL_LOCAL_APPDATA, FALLBACK_FOLDER, folder); }

void takeFileName(const Take& take, WCHAR (&name)[MAX_PATH]) {
    char title[TAKE_TITLE_SIZE];
    takeTitle(take, title);
    size_t i = 0;
    for (; title[i]; ++i) name[i] = (WCHAR)title[i]; // digits, letters and blanks: the same in any code
    std::swprintf(name + i, std::size(name) - i, L".mid");
}

bool freeTakePath(const WCHAR* folder, const Take& take, WCHAR (&path)[MAX_PATH]) {
    WCHAR name[MAX_PATH];
    takeFileName(take, name);
    const size_t title = std::wcslen(name) - 4; // without ".mid"
    for (int n = 1; n <= SAME_NAME_LIMIT; ++n) {
        const int written =
            n == 1 ? std::swprintf(path, std::size(path), L"%ls\\%ls", folder, name)
                   : std::swprintf(path, std::size(path), L"%ls\\%.*ls (%d).mid", folder, (int)title, name, n);
        if (!fitsWhole(written, std::size(path))) return false;
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}
