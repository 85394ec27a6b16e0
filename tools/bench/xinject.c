/* Presses a key or a mouse button through XTest like a player: COUNT presses
 * INTERVAL ms apart, each held HOLD ms. Just before sending each press it
 * reads CLOCK_MONOTONIC_RAW, the clock Wine's QueryPerformanceCounter runs
 * on, and prints that time in nanoseconds, one line per press, at the end.
 *
 *   xinject key KEYSYM COUNT INTERVAL HOLD
 *   xinject button X Y COUNT INTERVAL HOLD      (screen position, button 1)
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long now_raw(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* Sleeps until a time on CLOCK_MONOTONIC, so the schedule does not drift. */
static void sleep_until(struct timespec *at, long long add_ns) {
    at->tv_nsec += add_ns % 1000000000LL;
    at->tv_sec += add_ns / 1000000000LL + at->tv_nsec / 1000000000L;
    at->tv_nsec %= 1000000000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, at, NULL) != 0) {
    }
}

static int usage(void) {
    fprintf(stderr, "usage: xinject key KEYSYM COUNT INTERVAL_MS HOLD_MS\n"
                    "       xinject button X Y COUNT INTERVAL_MS HOLD_MS\n");
    return 2;
}

int main(int argc, char **argv) {
    const int is_key = argc == 6 && strcmp(argv[1], "key") == 0;
    if (!is_key && !(argc == 7 && strcmp(argv[1], "button") == 0)) return usage();
    const char **numbers = (const char **)argv + (is_key ? 3 : 4);
    const int count = atoi(numbers[0]);
    const long long interval = atoll(numbers[1]) * 1000000LL, hold = atoll(numbers[2]) * 1000000LL;
    if (count <= 0 || hold <= 0 || hold >= interval) return usage();

    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xinject: cannot open the display\n");
        return 1;
    }
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
        fprintf(stderr, "xinject: the X server has no XTest\n");
        return 1;
    }
    unsigned code = 1;
    if (is_key) {
        code = XKeysymToKeycode(display, XStringToKeysym(argv[2]));
        if (!code) {
            fprintf(stderr, "xinject: no key for %s\n", argv[2]);
            return 1;
        }
    } else {
        XTestFakeMotionEvent(display, -1, atoi(argv[2]), atoi(argv[3]), CurrentTime);
        XSync(display, False);
    }

    long long *stamps = calloc((size_t)count, sizeof *stamps);
    if (!stamps) return 1;
    struct timespec at;
    clock_gettime(CLOCK_MONOTONIC, &at);
    sleep_until(&at, interval); /* a quiet moment after the move or the start */
    for (int i = 0; i < count; ++i) {
        stamps[i] = now_raw();
        if (is_key) XTestFakeKeyEvent(display, code, True, CurrentTime);
        else XTestFakeButtonEvent(display, code, True, CurrentTime);
        XFlush(display);
        sleep_until(&at, hold);
        if (is_key) XTestFakeKeyEvent(display, code, False, CurrentTime);
        else XTestFakeButtonEvent(display, code, False, CurrentTime);
        XFlush(display);
        sleep_until(&at, interval - hold);
    }
    XSync(display, False);
    XCloseDisplay(display);
    for (int i = 0; i < count; ++i) printf("%lld\n", stamps[i]);
    free(stamps);
    return 0;
}
