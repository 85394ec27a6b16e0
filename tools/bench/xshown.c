/* Tells when a window has been shown and painted, as the X server has it:
 * reads screen pixels (the root window with what is on it) and waits until
 * each of the given points has its colour. The benchmark calls it just
 * before starting a program and reads CLOCK_MONOTONIC_RAW at the start, so
 * the difference is the start-up as a user sees it.
 *
 *   xshown DISPLAY read X,Y...              prints each point's colour as RRGGBB
 *   xshown DISPLAY wait TIMEOUT_MS X,Y,RRGGBB...
 *       prints "ready" once connected, then, when every point has its
 *       colour, CLOCK_MONOTONIC_RAW in nanoseconds; exit 1 on timeout
 *
 * It looks every POLL_US microseconds: a one-pixel read from Xvfb costs a
 * few microseconds, so it takes little from the program it watches.
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MAX_POINTS 8
#define POLL_US 1000

struct point {
    int x, y;
    unsigned long colour; /* 0xRRGGBB */
};

static long long now_raw(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* The colour at a screen position as 0xRRGGBB, whatever the visual's masks. */
static unsigned long colour_at(Display *display, int x, int y) {
    XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0UL;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    Visual *visual = DefaultVisual(display, DefaultScreen(display));
    unsigned long rgb = 0;
    const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
    for (int i = 0; i < 3; ++i) {
        unsigned long mask = masks[i], value = pixel & mask;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            value >>= 1;
        }
        rgb = rgb << 8 | (value & 0xFF);
    }
    XDestroyImage(image);
    return rgb;
}

static int parse_point(const char *text, struct point *point, int with_colour) {
    int used = 0;
    if (sscanf(text, "%d,%d%n", &point->x, &point->y, &used) != 2) return 0;
    if (!with_colour) return text[used] == '\0';
    return sscanf(text + used, ",%lx", &point->colour) == 1;
}

int main(int argc, char **argv) {
    const int reading = argc > 3 && strcmp(argv[2], "read") == 0;
    const int waiting = argc > 4 && strcmp(argv[2], "wait") == 0;
    const int first = reading ? 3 : 4, count = argc - first;
    if ((!reading && !waiting) || count > MAX_POINTS) {
        fprintf(stderr, "usage: xshown DISPLAY read X,Y...\n"
                        "       xshown DISPLAY wait TIMEOUT_MS X,Y,RRGGBB...  (at most %d points)\n", MAX_POINTS);
        return 2;
    }
    struct point points[MAX_POINTS];
    for (int i = 0; i < count; ++i) {
        if (!parse_point(argv[first + i], &points[i], waiting)) {
            fprintf(stderr, "xshown: not a point: %s\n", argv[first + i]);
            return 2;
        }
    }
    Display *display = XOpenDisplay(argv[1]);
    if (!display) {
        fprintf(stderr, "xshown: cannot open %s\n", argv[1]);
        return 1;
    }
    if (reading) {
        for (int i = 0; i < count; ++i) printf("%06lx\n", colour_at(display, points[i].x, points[i].y));
        XCloseDisplay(display);
        return 0;
    }
    const long long deadline = now_raw() + atoll(argv[3]) * 1000000LL;
    printf("ready\n");
    fflush(stdout);
    const struct timespec pause = {0, POLL_US * 1000L};
    for (;;) {
        int shown = 1;
        for (int i = 0; i < count && shown; ++i) shown = colour_at(display, points[i].x, points[i].y) == points[i].colour;
        const long long now = now_raw();
        if (shown) {
            printf("%lld\n", now);
            break;
        }
        if (now > deadline) {
            fprintf(stderr, "xshown: the points never had their colours\n");
            XCloseDisplay(display);
            return 1;
        }
        nanosleep(&pause, NULL);
    }
    XCloseDisplay(display);
    return 0;
}
