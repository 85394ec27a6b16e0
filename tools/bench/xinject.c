/* Presses keys or the mouse button through XTest like a player: COUNT
 * presses INTERVAL ms apart on each target, each held HOLD ms. With several
 * targets (each its own X display) their presses take turns, INTERVAL / n
 * apart, so the programs behind them are measured over the same moments.
 * Just before sending each press it reads CLOCK_MONOTONIC_RAW, the clock
 * Wine's QueryPerformanceCounter runs on; at the end it prints one line
 * per press: the target's number (from 0) and that time in nanoseconds.
 *
 *   xinject COUNT INTERVAL HOLD TARGET...
 *   TARGET: DISPLAY,key,KEYSYM   or   DISPLAY,button,X,Y  (button 1 at a screen position)
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MAX_TARGETS 4

struct target {
    Display *display;
    int is_key;
    unsigned code; /* key code, or button number */
};

static long long now_raw(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* Sleeps until start + offset on CLOCK_MONOTONIC, so the schedule does not drift. */
static void sleep_until(const struct timespec *start, long long offset_ns) {
    struct timespec at = *start;
    long long ns = at.tv_nsec + offset_ns;
    at.tv_sec += ns / 1000000000LL;
    at.tv_nsec = ns % 1000000000LL;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, NULL) != 0) {
    }
}

static void send(const struct target *target, Bool down) {
    if (target->is_key) XTestFakeKeyEvent(target->display, target->code, down, CurrentTime);
    else XTestFakeButtonEvent(target->display, target->code, down, CurrentTime);
    XFlush(target->display);
}

/* Opens the target's display and finds its key, or moves the pointer to its position. */
static int open_target(char *text, struct target *target) {
    char *display_name = strtok(text, ","), *kind = strtok(NULL, ","), *what = strtok(NULL, ",");
    char *y = strtok(NULL, ",");
    if (!display_name || !kind || !what) return 0;
    target->display = XOpenDisplay(display_name);
    int event_base, error_base, major, minor;
    if (!target->display || !XTestQueryExtension(target->display, &event_base, &error_base, &major, &minor)) {
        fprintf(stderr, "xinject: cannot use XTest on %s\n", display_name);
        return 0;
    }
    target->is_key = strcmp(kind, "key") == 0;
    if (target->is_key) {
        target->code = XKeysymToKeycode(target->display, XStringToKeysym(what));
        if (!target->code) fprintf(stderr, "xinject: no key for %s\n", what);
        return target->code != 0;
    }
    if (strcmp(kind, "button") != 0 || !y) return 0;
    target->code = 1;
    XTestFakeMotionEvent(target->display, -1, atoi(what), atoi(y), CurrentTime);
    XSync(target->display, False);
    return 1;
}

int main(int argc, char **argv) {
    const int count = argc > 4 ? atoi(argv[1]) : 0, targets = argc - 4;
    const long long interval = argc > 4 ? atoll(argv[2]) * 1000000LL : 0;
    const long long hold = argc > 4 ? atoll(argv[3]) * 1000000LL : 0;
    if (count <= 0 || targets > MAX_TARGETS || hold <= 0 || hold >= interval / (targets > 0 ? targets : 1)) {
        fprintf(stderr, "usage: xinject COUNT INTERVAL_MS HOLD_MS TARGET... (at most %d;"
                        " HOLD below INTERVAL / targets)\n"
                        "  TARGET: DISPLAY,key,KEYSYM or DISPLAY,button,X,Y\n", MAX_TARGETS);
        return 2;
    }
    struct target target[MAX_TARGETS];
    for (int j = 0; j < targets; ++j) {
        if (!open_target(argv[4 + j], &target[j])) return 1;
    }
    long long *stamps = calloc((size_t)count * targets, sizeof *stamps);
    if (!stamps) return 1;
    struct timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    const long long turn = interval / targets;
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < targets; ++j) {
            /* one quiet interval first, after the pointer moves */
            const long long at = (i + 1) * interval + j * turn;
            sleep_until(&start, at);
            stamps[i * targets + j] = now_raw();
            send(&target[j], True);
            sleep_until(&start, at + hold);
            send(&target[j], False);
        }
    }
    for (int j = 0; j < targets; ++j) {
        XSync(target[j].display, False);
        XCloseDisplay(target[j].display);
    }
    for (int i = 0; i < count * targets; ++i) printf("%d %lld\n", i % targets, stamps[i]);
    free(stamps);
    return 0;
}
