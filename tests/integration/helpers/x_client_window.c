/* A client window for the tests: a solid colour and a name, of one of three kinds.
 *   normal    an ordinary application window;
 *   dock      a panel or bar along the top edge, with a strut;
 *   override  a window another client owns, as XScreenSaver's is to a hack: override-
 *             redirect, raised, and taking the pointer's buttons itself.
 * It prints its id and runs until it is killed or its input ends. Lines on its input:
 * "lower" lowers it to the bottom of the stack, as a client may do; "workspace N" asks
 * the manager to show workspace N, as a pager does (a manager that took over from
 * another may not announce that it can, so xdotool would refuse to ask); "destroy"
 * destroys it and ends the program, as the end of input does. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <unistd.h>

static void set_atom(Display* display, Window window, const char* property, const char* value) {
    Atom atom = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32, PropModeReplace,
                    (unsigned char*)&atom, 1);
}

int main(int argc, char** argv) {
    if (argc != 8 ||
        (strcmp(argv[2], "normal") != 0 && strcmp(argv[2], "dock") != 0 && strcmp(argv[2], "override") != 0)) {
        fprintf(stderr, "usage: %s NAME normal|dock|override 0xRRGGBB WIDTH HEIGHT X Y\n", argv[0]);
        return 2;
    }
    const int isDock = strcmp(argv[2], "dock") == 0;
    const int isOverride = strcmp(argv[2], "override") == 0;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "cannot open display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const unsigned width = (unsigned)atoi(argv[4]);
    const unsigned height = (unsigned)atoi(argv[5]);
    const int x = atoi(argv[6]);
    const int y = atoi(argv[7]);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.background_pixel = strtoul(argv[3], NULL, 0);
    unsigned long mask = CWBackPixel;
    if (isOverride) {
        attributes.override_redirect = True;
        /* Like XScreenSaver, the owner takes the pointer's buttons itself. */
        attributes.event_mask = ButtonPressMask | ExposureMask | StructureNotifyMask;
        mask |= CWOverrideRedirect | CWEventMask;
    }
    Window window = XCreateWindow(display, RootWindow(display, screen), x, y, width, height, 0, CopyFromParent,
                                  InputOutput, CopyFromParent, mask, &attributes);
    XStoreName(display, window, argv[1]);
    XClassHint hint = {argv[1], (char*)"TaveloTest"};
    XSetClassHint(display, window, &hint);
    if (isOverride) {
        XMapRaised(display, window);
    } else {
        XSizeHints size;
        memset(&size, 0, sizeof size);
        size.flags = USPosition | USSize;
        size.x = x;
        size.y = y;
        size.width = (int)width;
        size.height = (int)height;
        XSetWMNormalHints(display, window, &size);
        if (isDock) {
            set_atom(display, window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK");
            /* Reserve the top strip the dock covers. */
            long strut[12] = {0, 0, (long)height, 0, 0, 0, 0, 0, x, x + (long)width - 1, 0, 0};
            XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                            PropModeReplace, (unsigned char*)strut, 12);
            XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                            PropModeReplace, (unsigned char*)strut, 4);
        } else {
            set_atom(display, window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL");
        }
        XMapWindow(display, window);
    }
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
            if (strncmp(line, "lower", 5) == 0) {
                XLowerWindow(display, window);
                XFlush(display);
            } else if (strncmp(line, "workspace ", 10) == 0) {
                XEvent message;
                memset(&message, 0, sizeof message);
                message.xclient.type = ClientMessage;
                message.xclient.window = DefaultRootWindow(display);
                message.xclient.message_type = XInternAtom(display, "_NET_CURRENT_DESKTOP", False);
                message.xclient.format = 32;
                message.xclient.data.l[0] = atol(line + 10);
                message.xclient.data.l[1] = CurrentTime;
                XSendEvent(display, DefaultRootWindow(display), False,
                           SubstructureNotifyMask | SubstructureRedirectMask, &message);
                XFlush(display);
            }
        }
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
