// Measures how long a program takes from its start until its window named
// TITLE is mapped on the X display, over RUNS runs, and prints each time and
// the median in milliseconds. Every program started is ended with SIGTERM as
// soon as its window has been seen (or after 30 s without it).
//
//   kavo-window-probe RUNS TITLE PROGRAM [ARGUMENTS...]
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum
{
    kMaxRuns = 100,
    kRunTimeoutMs = 30000
};

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int hasTitle(Display *display, Window window, const char *title)
{
    char *name = NULL;
    int same = 0;
    if (XFetchName(display, window, &name) && name) {
        same = strcmp(name, title) == 0;
        XFree(name);
    }
    return same;
}

// Milliseconds until the window is mapped; negative when it never was.
static double oneRun(Display *display, const char *title, char **command)
{
    while (XPending(display)) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    double shown = -1;
    struct pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    while (shown < 0 && nowMs() - start < kRunTimeoutMs) {
        if (!XPending(display)) {
            if (waitpid(child, NULL, WNOHANG) == child)
                return -1;
            poll(&connection, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect &&
            hasTitle(display, event.xmap.window, title))
            shown = nowMs() - start;
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    return shown;
}

static int byValue(const void *a, const void *b)
{
    const double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s RUNS TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const int runs = atoi(argv[1]);
    if (runs < 1 || runs > kMaxRuns) {
        fprintf(stderr, "RUNS is 1 to %d\n", kMaxRuns);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    double times[kMaxRuns];
    for (int i = 0; i < runs; ++i) {
        times[i] = oneRun(display, argv[2], argv + 3);
        if (times[i] < 0) {
            fprintf(stderr, "run %d: the window \"%s\" was not shown\n", i + 1, argv[2]);
            XCloseDisplay(display);
            return 1;
        }
        printf("run %d: %.1f ms\n", i + 1, times[i]);
    }
    qsort(times, (size_t)runs, sizeof times[0], byValue);
    const double median = runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
    printf("median %.1f ms\n", median);
    XCloseDisplay(display);
    return 0;
}
