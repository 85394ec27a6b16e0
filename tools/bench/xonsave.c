/* Presses a key through XTest at the moment a program starts saving a file,
 * and again away from its saves, so that a key press during a save can be
 * set beside one that is not. It watches FOLDER with inotify: a file made
 * there whose name ends in ".new" is a save beginning (the program writes
 * the new file first), and a file moved into place there is that save's
 * end. At each save's start it presses KEY at once, held HOLD ms; at
 * BETWEEN ms after each save's start, and at twice that, it presses KEY
 * again, away from the save. A save comes every few seconds only while new
 * notes come, which these presses see to, the first of them at once. Every stamp is CLOCK_MONOTONIC_RAW,
 * read just before each press is sent and as soon as inotify tells of a
 * file; at the end it prints "save START END" for each save and
 * "press NS at-save|between" for each press.
 *
 *   xonsave SAVES HOLD_MS BETWEEN_MS DISPLAY KEYSYM FOLDER
 *
 * It ends after SAVES saves, or with exit 1 when no save starts for
 * QUIET_MS.
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <time.h>
#include <unistd.h>

#define QUIET_MS 15000
#define MAX_PRESSES_PER_SAVE 3

static long long now_raw(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* Presses the key; returns the moment just before it was sent. */
static long long press_key(Display *display, unsigned code) {
    const long long now = now_raw();
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XFlush(display);
    return now;
}

static int ends_with(const char *name, const char *end) {
    const size_t length = strlen(name), end_length = strlen(end);
    return length >= end_length && strcmp(name + length - end_length, end) == 0;
}

int main(int argc, char **argv) {
    const int saves = argc == 7 ? atoi(argv[1]) : 0;
    const long long hold = argc == 7 ? atoll(argv[2]) * 1000000LL : 0;
    const long long between = argc == 7 ? atoll(argv[3]) * 1000000LL : 0;
    if (saves <= 0 || hold <= 0 || between <= hold) {
        fprintf(stderr, "usage: xonsave SAVES HOLD_MS BETWEEN_MS DISPLAY KEYSYM FOLDER (BETWEEN above HOLD)\n");
        return 2;
    }
    Display *display = XOpenDisplay(argv[4]);
    int event_base, error_base, major, minor;
    if (!display || !XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
        fprintf(stderr, "xonsave: cannot use XTest on %s\n", argv[4]);
        return 1;
    }
    const unsigned code = XKeysymToKeycode(display, XStringToKeysym(argv[5]));
    const int watch = inotify_init1(IN_CLOEXEC);
    if (!code || watch < 0 || inotify_add_watch(watch, argv[6], IN_CREATE | IN_MOVED_TO) < 0) {
        fprintf(stderr, "xonsave: no key %s, or cannot watch %s\n", argv[5], argv[6]);
        return 1;
    }
    long long(*save)[2] = calloc((size_t)saves, sizeof *save);
    long long *press = calloc((size_t)saves * MAX_PRESSES_PER_SAVE, sizeof *press);
    char *at_save = calloc((size_t)saves * MAX_PRESSES_PER_SAVE, 1);
    if (!save || !press || !at_save) return 1;
    int started = 0, ended = 0, presses = 0, held = 0;
    long long release_at = 0, last_start = now_raw();
    /* Presses due away from the saves, in order; 0: none. The first comes at
     * once: the program saves only once something new was played. */
    long long due[2] = {last_start, last_start + between};
    while (ended < saves || held) {
        long long now = now_raw(), next = last_start + QUIET_MS * 1000000LL;
        if (held) next = release_at < next ? release_at : next;
        for (int i = 0; i < 2; ++i) {
            if (due[i] && due[i] < next) next = due[i];
        }
        struct pollfd wait = {watch, POLLIN, 0};
        const int ready = poll(&wait, 1, next > now ? (int)((next - now + 999999) / 1000000) : 0);
        now = now_raw();
        if (ready > 0) {
            char events[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
            const ssize_t length = read(watch, events, sizeof events);
            for (ssize_t i = 0; i < length;) {
                const struct inotify_event *event = (const struct inotify_event *)(events + i);
                i += (ssize_t)(sizeof *event + event->len);
                if (!event->len) continue;
                if ((event->mask & IN_CREATE) && ends_with(event->name, ".new") && started < saves) {
                    save[started][0] = now;
                    last_start = now;
                    due[0] = now + between;
                    due[1] = now + 2 * between;
                    if (!held) {
                        press[presses] = press_key(display, code);
                        at_save[presses++] = 1;
                        held = 1;
                        release_at = press[presses - 1] + hold;
                    }
                    ++started;
                } else if ((event->mask & IN_MOVED_TO) && !ends_with(event->name, ".new") && ended < started) {
                    save[ended++][1] = now;
                }
            }
            continue;
        }
        if (held && now >= release_at) {
            XTestFakeKeyEvent(display, code, False, CurrentTime);
            XFlush(display);
            held = 0;
            continue;
        }
        if (!held && due[0] && now >= due[0] && ended < saves) {
            press[presses] = press_key(display, code);
            at_save[presses++] = 0;
            held = 1;
            release_at = press[presses - 1] + hold;
            due[0] = due[1];
            due[1] = 0;
            continue;
        }
        if (now >= last_start + QUIET_MS * 1000000LL) {
            fprintf(stderr, "xonsave: no save started for %d ms (%d of %d saves)\n", QUIET_MS, ended, saves);
            return 1;
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    for (int i = 0; i < ended; ++i) printf("save %lld %lld\n", save[i][0], save[i][1]);
    for (int i = 0; i < presses; ++i) printf("press %lld %s\n", press[i], at_save[i] ? "at-save" : "between");
    return 0;
}
