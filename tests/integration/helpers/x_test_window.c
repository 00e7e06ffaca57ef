/* A plain X window that another client owns, as XScreenSaver's is to a hack: it maps
 * a window of the given size, prints its id, and destroys the window when a line
 * "destroy" arrives on standard input (or input ends). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT [X Y]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "cannot open display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const unsigned width = (unsigned)atoi(argv[1]);
    const unsigned height = (unsigned)atoi(argv[2]);
    const int x = argc > 4 ? atoi(argv[3]) : 0;
    const int y = argc > 4 ? atoi(argv[4]) : 0;
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.override_redirect = True;
    /* Grey, so that a screenshot tells the window from a page drawn into it. */
    attributes.background_pixel = 0x404040;
    /* Like XScreenSaver, the owner takes the pointer's buttons itself. */
    attributes.event_mask = ButtonPressMask | ExposureMask | StructureNotifyMask;
    Window window =
        XCreateWindow(display, RootWindow(display, screen), x, y, width, height, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapRaised(display, window);
    XSync(display, False);
    printf("0x%lx\n", (unsigned long)window);
    fflush(stdout);

    char line[64];
    const int xfd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(0, &readable);
        FD_SET(xfd, &readable);
        if (select(xfd + 1, &readable, NULL, NULL, NULL) < 0) {
            break;
        }
        if (FD_ISSET(0, &readable)) {
            if (fgets(line, sizeof line, stdin) == NULL || strncmp(line, "destroy", 7) == 0) {
                break;
            }
        }
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
