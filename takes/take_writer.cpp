#include "takes/take_writer.h"

#include "base/files.h"
#include "base/window_messages.h"
#include "takes/take_folders.h"

#include <cwchar>
#include <iterator>

TakeWriter g_writer;

// How the two threads share what they share, without a lock on the key path:
// - The window fills g_writer.job, then sets jobReady; the writer reads the
//   job only after its wait on jobReady returns. The writer fills in the
//   result, then sets idle; the window reads it only after its wait on idle
//   returns. Setting an event and a wait that returns are full barriers, so
//   each side sees everything the other wrote before.
// - The job names the first N events of a take. The recorder keeps adding
//   events on the window's thread meanwhile, but only past N, into slots and
//   fields the writer never reads (see forEachEvent in take_file.cpp), and
//   chunks are let go of only while the writer holds no job on them.
namespace {

DWORD WINAPI writerMain(void*) {
    for (;;) {
        if (WaitForSingleObject(g_writer.jobReady, INFINITE) != WAIT_OBJECT_0 || g_writer.ending) return 0;
        writeTake(g_writer.job);
        SetEvent(g_writer.idle);
        // The window asks for the result; the message itself carries none.
        PostMessageW(g_writer.window, MESSAGE_TAKE_WRITTEN, 0, 0);
    }
}

// A name no file has yet, where the take is to go.
bool nameTakeFile(WriteJob& job) {
    const bool named = job.take.fallback ? fallbackFolder(job.folder) : takesFolder(job.folder);
    if (!named) {
        job.folder[0] = 0;
        job.error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (freeTakePath(job.folder, job.take, job.path)) return true;
    job.error = ERROR_FILENAME_EXCED_RANGE;
    return false;
}

void closeHandles() {
    for (HANDLE handle : {g_writer.thread, g_writer.jobReady, g_writer.idle}) {
        if (handle) CloseHandle(handle);
    }
    g_writer = TakeWriter{};
}

} // namespace

void writeTake(WriteJob& job) {
    job.saved = false;
    job.error = 0;
    if (job.take.path[0]) {
        std::swprintf(job.path, std::size(job.path), L"%ls", job.take.path);
        std::swprintf(job.folder, std::size(job.folder), L"%.*ls", (int)folderLength(job.path) - 1, job.path);
    } else if (!nameTakeFile(job)) {
        return;
    }
    NewFile file;
    if (startNewFile(file, job.path)) writeTakeFile(file, job.take, job.take.events, job.end, job.frequency);
    job.saved = putNewFileInPlace(file);
    job.error = file.error;
}

bool startTakeWriter(HWND window) {
    if (g_writer.thread) return true;
    g_writer.window = window;
    if (!g_writer.jobReady) g_writer.jobReady = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!g_writer.idle) g_writer.idle = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!g_writer.jobReady || !g_writer.idle) return false;
    g_writer.ending = false;
    g_writer.thread = CreateThread(nullptr, 0, writerMain, nullptr, 0, nullptr);
    if (!g_writer.thread) return false;
    // Below the thread that plays: a save never holds up a key.
    SetThreadPriority(g_writer.thread, THREAD_PRIORITY_BELOW_NORMAL);
    return true;
}

void handOver(const WriteJob& job) {
    g_writer.job = job;
    g_writer.busy = true;
    if (!g_writer.thread) {
        writeTake(g_writer.job);
        PostMessageW(g_writer.window, MESSAGE_TAKE_WRITTEN, 0, 0);
        return;
    }
    ResetEvent(g_writer.idle);
    SetEvent(g_writer.jobReady);
}

const WriteJob* finishedJob(DWORD ms) {
    if (!g_writer.busy) return nullptr;
    if (g_writer.thread && WaitForSingleObject(g_writer.idle, ms) != WAIT_OBJECT_0) return nullptr;
    g_writer.busy = false;
    return &g_writer.job;
}

bool endTakeWriter(DWORD ms) {
    if (g_writer.busy) return false;
    if (g_writer.thread) {
        g_writer.ending = true;
        SetEvent(g_writer.jobReady);
        if (WaitForSingleObject(g_writer.thread, ms) != WAIT_OBJECT_0) return false;
    }
    closeHandles();
    return true;
}
