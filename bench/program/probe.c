/* The X side of the program benchmark: screen grabs, start-to-title through
 * the DAMAGE extension, pointer driving and click-to-frame through XTest.
 *
 *   probe grab FILE                 root window as raw RGB, 3 bytes a pixel
 *   probe title REF TIMEOUT -- PROGRAM ARGS...
 *       starts PROGRAM and prints "PID MS": its pid and the milliseconds from
 *       the start to the first screen on which at least 98 % of the pixels
 *       listed in REF (records of a 32-bit pixel index and 3 bytes RGB) show
 *       their colour. The program is left running.
 *   probe wiggle SECONDS            moves the pointer in small circles every
 *                                   16 ms, with a left click every 700 ms
 *   probe frames SECONDS            prints the time of each screen change
 *   probe clicks X Y COUNT          with the cursor figure at (X, Y), COUNT
 *       times: move it to a fresh spot, click, move it 120 px right at once,
 *       and print "FIRST DRINK": ms from the click to the first frame shown
 *       after it and to the first frame showing something new where it stood.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

static Display* display;
static Window root;
static int damageEvent;
static Damage damage;

static double NowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void WatchDamage(void) {
    int error;
    if (!XDamageQueryExtension(display, &damageEvent, &error)) {
        fprintf(stderr, "probe: no DAMAGE extension\n");
        exit(2);
    }
    damage = XDamageCreate(display, root, XDamageReportNonEmpty);
    XSync(display, False);
}

/* Waits for the screen to change, up to `ms`; 0 on time-out. */
static int WaitDamage(double ms) {
    const double until = NowMs() + ms;
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == damageEvent + XDamageNotify) {
                XDamageSubtract(display, damage, None, None);
                XSync(display, False);
                /* Take the rest of a burst of notifications along. */
                while (XCheckTypedEvent(display, damageEvent + XDamageNotify, &event)) {}
                return 1;
            }
        }
        const double left = until - NowMs();
        if (left <= 0) return 0;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        struct timeval tv = {(time_t)(left / 1000), (suseconds_t)((long)(left * 1000) % 1000000)};
        select(ConnectionNumber(display) + 1, &fds, NULL, NULL, &tv);
    }
}

static XImage* Grab(int x, int y, int w, int h) { return XGetImage(display, root, x, y, w, h, AllPlanes, ZPixmap); }

static void Rgb(XImage* image, int x, int y, uint8_t out[3]) {
    const unsigned long p = XGetPixel(image, x, y);
    out[0] = (p >> 16) & 0xFF;
    out[1] = (p >> 8) & 0xFF;
    out[2] = p & 0xFF;
}

static int CommandGrab(const char* path) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = Grab(0, 0, attributes.width, attributes.height);
    FILE* f = fopen(path, "wb");
    if (!image || !f) return 2;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            uint8_t rgb[3];
            Rgb(image, x, y, rgb);
            fwrite(rgb, 1, 3, f);
        }
    fclose(f);
    XDestroyImage(image);
    return 0;
}

static int CommandTitle(const char* refPath, double timeoutMs, char** program) {
    FILE* f = fopen(refPath, "rb");
    if (!f) return 2;
    fseek(f, 0, SEEK_END);
    const long count = ftell(f) / 7;
    fseek(f, 0, SEEK_SET);
    uint8_t* ref = malloc(count * 7);
    if (fread(ref, 7, count, f) != (size_t)count) return 2;
    fclose(f);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    WatchDamage();
    const double start = NowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        /* Not the probe's output: whoever reads that waits for its end. */
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execv(program[0], program);
        _exit(127);
    }
    while (NowMs() - start < timeoutMs) {
        if (!WaitDamage(timeoutMs - (NowMs() - start))) break;
        const double seen = NowMs();
        XImage* image = Grab(0, 0, attributes.width, attributes.height);
        long good = 0;
        for (long i = 0; i < count; ++i) {
            uint32_t index;
            memcpy(&index, ref + i * 7, 4);
            uint8_t rgb[3];
            Rgb(image, (int)(index % attributes.width), (int)(index / attributes.width), rgb);
            if (memcmp(rgb, ref + i * 7 + 4, 3) == 0) ++good;
        }
        XDestroyImage(image);
        if (good * 100 >= count * 98) {
            printf("%d %.1f\n", (int)pid, seen - start);
            return 0;
        }
    }
    printf("%d -1\n", (int)pid);
    return 1;
}

static void Move(int dx, int dy) {
    XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
    XFlush(display);
}

static void Click(void) {
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

static int CommandWiggle(double seconds) {
    static const int steps[8][2] = {{6, 0}, {4, 4}, {0, 6}, {-4, 4}, {-6, 0}, {-4, -4}, {0, -6}, {4, -4}};
    const double start = NowMs();
    double lastClick = start;
    for (int i = 0; NowMs() - start < seconds * 1000; ++i) {
        Move(steps[i % 8][0], steps[i % 8][1]);
        if (NowMs() - lastClick > 700) {
            Click();
            lastClick = NowMs();
        }
        usleep(16000);
    }
    return 0;
}

/* Prints the times (ms from the start) at which the screen changed during
 * `seconds`: the frames as the display server received them. */
static int CommandFrames(double seconds) {
    WatchDamage();
    const double start = NowMs();
    while (NowMs() - start < seconds * 1000) {
        if (WaitDamage(seconds * 1000 - (NowMs() - start))) {
            printf("%.1f\n", NowMs() - start);
            fflush(stdout);
        }
    }
    return 0;
}

/* Pixels of two grabs of the same box that differ by more than a little. */
static int Differs(XImage* a, XImage* b) {
    int changed = 0;
    for (int y = 0; y < a->height; ++y)
        for (int x = 0; x < a->width; ++x) {
            uint8_t p[3], q[3];
            Rgb(a, x, y, p);
            Rgb(b, x, y, q);
            if (abs(p[0] - q[0]) + abs(p[1] - q[1]) + abs(p[2] - q[2]) > 24) ++changed;
        }
    return changed > a->width * a->height / 20;
}

static int CommandClicks(int x, int y, int count) {
    WatchDamage();
    /* Spots on a grid below the status bar, away from the middle where the
     * round starts. */
    for (int i = 0; i < count; ++i) {
        const int sx = 120 + (i % 5) * 120, sy = 160 + (i / 5 % 3) * 130;
        Move(sx + 120 - x, sy - y);
        x = sx + 120;
        y = sy;
        usleep(250000);
        const int bx = sx - 20, by = sy - 50, bw = 40, bh = 70;
        XImage* background = Grab(bx, by, bw, bh);
        Move(-120, 0);
        x -= 120;
        usleep(250000);
        XImage* figure = Grab(bx, by, bw, bh);
        while (WaitDamage(0)) {}
        Click();
        Move(120, 0);
        x += 120;
        const double clicked = NowMs();
        double first = -1, drink = -1;
        while (NowMs() - clicked < 500 && drink < 0) {
            if (!WaitDamage(500 - (NowMs() - clicked))) break;
            const double seen = NowMs();
            XImage* now = Grab(bx, by, bw, bh);
            if (first < 0 && Differs(now, figure)) first = seen - clicked;
            if (first >= 0 && Differs(now, background)) drink = seen - clicked;
            XDestroyImage(now);
        }
        printf("%.1f %.1f\n", first, drink);
        fflush(stdout);
        XDestroyImage(background);
        XDestroyImage(figure);
    }
    return 0;
}

int main(int argc, char** argv) {
    display = XOpenDisplay(NULL);
    if (!display || argc < 2) return 2;
    root = DefaultRootWindow(display);
    if (!strcmp(argv[1], "grab") && argc == 3) return CommandGrab(argv[2]);
    if (!strcmp(argv[1], "title") && argc > 5 && !strcmp(argv[4], "--"))
        return CommandTitle(argv[2], atof(argv[3]), argv + 5);
    if (!strcmp(argv[1], "wiggle") && argc == 3) return CommandWiggle(atof(argv[2]));
    if (!strcmp(argv[1], "frames") && argc == 3) return CommandFrames(atof(argv[2]));
    if (!strcmp(argv[1], "clicks") && argc == 5) return CommandClicks(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    fprintf(stderr, "probe: unknown command\n");
    return 2;
}
