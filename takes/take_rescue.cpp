#include "takes/take_rescue.h"

#include "base/files.h"
#include "takes/take_folders.h"

#include <cwchar>
#include <iterator>

namespace {

const WCHAR CAPTION[] = L"Tonvale";
const size_t TEXT_SIZE = 4 * MAX_PATH + 2 * SYSTEM_WORDS_SIZE + 512;

const WCHAR* shown(const WCHAR* folder) { return folder[0] ? folder : L"Documents (the system names no such folder)"; }

// "in "folder":\nThe system's words."
void whereAndWhy(const SaveFailure& failure, WCHAR (&text)[TEXT_SIZE]) {
    WCHAR words[SYSTEM_WORDS_SIZE];
    systemWords(failure.error, words);
    std::swprintf(text, std::size(text), L"in \"%ls\":\n%ls", shown(failure.folder), words);
}

// The Save As dialog's library is loaded only when the dialog is wanted:
// linked, it and the printing and COM libraries it needs were loaded at every
// start, a quarter of a warm start under Wine. It stays loaded once it is.
BOOL showSaveAs(OPENFILENAMEW& dialog) {
    using SaveAs = BOOL(WINAPI*)(OPENFILENAMEW*);
    const HMODULE library = LoadLibraryW(L"comdlg32.dll");
    const FARPROC found = library ? GetProcAddress(library, "GetSaveFileNameW") : nullptr;
    // Through the generic function pointer type, which converts to any other.
    const auto saveAs = reinterpret_cast<SaveAs>(reinterpret_cast<void (*)()>(found));
    return saveAs ? saveAs(&dialog) : FALSE;
}

// The current directory stays: the patch names are read from it.
bool chooseSavePath(HWND owner, const Take& take, WCHAR (&path)[MAX_PATH]) {
    takeFileName(take, path);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Standard MIDI Files (*.mid)\0*.mid\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = (DWORD)std::size(path);
    dialog.lpstrDefExt = L"mid";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return showSaveAs(dialog) != FALSE;
}

} // namespace

Rescue askRescue(HWND owner, const Take& take, const SaveFailure& failure, WCHAR (&path)[MAX_PATH]) {
    WCHAR fallback[MAX_PATH], where[TEXT_SIZE], text[TEXT_SIZE];
    if (!fallbackFolder(fallback)) std::swprintf(fallback, std::size(fallback), L"%%LOCALAPPDATA%%\\Tonvale\\Takes");
    whereAndWhy(failure, where);
    std::swprintf(text, std::size(text),
                  L"Take %u cannot be saved %ls\n\n"
                  L"Yes: save it in \"%ls\" instead.\n"
                  L"No: choose another place for it.\n"
                  L"Cancel: keep it in memory and try again every 5 seconds. If it still cannot be saved when "
                  L"Tonvale ends, it goes to the folder above.",
                  (unsigned)take.number, where, fallback);
    const int answer = MessageBoxW(owner, text, CAPTION, MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDYES) return Rescue::FALLBACK;
    if (answer == IDNO && chooseSavePath(owner, take, path)) return Rescue::CHOSEN;
    return Rescue::KEEP_TRYING;
}

void tellKeptInFallback(const Take& take, const SaveFailure& failure, const WCHAR* path) {
    WCHAR where[TEXT_SIZE], text[TEXT_SIZE];
    whereAndWhy(failure, where);
    std::swprintf(text, std::size(text), L"Take %u could not be saved %ls\n\nIt is saved in \"%ls\".",
                  (unsigned)take.number, where, path);
    MessageBoxW(nullptr, text, CAPTION, MB_OK | MB_ICONINFORMATION);
}

bool askLastPlace(const Take& take, const SaveFailure& failure, const SaveFailure& fallback, WCHAR (&path)[MAX_PATH]) {
    WCHAR where[TEXT_SIZE], fallbackWhere[TEXT_SIZE], text[TEXT_SIZE];
    whereAndWhy(failure, where);
    whereAndWhy(fallback, fallbackWhere);
    std::swprintf(text, std::size(text),
                  L"Take %u cannot be saved %ls\nnor %ls\n\nYes: choose another place for it.\nNo: let it go; "
                  L"the take is lost.",
                  (unsigned)take.number, where, fallbackWhere);
    return MessageBoxW(nullptr, text, CAPTION, MB_YESNO | MB_ICONWARNING) == IDYES &&
           chooseSavePath(nullptr, take, path);
}
