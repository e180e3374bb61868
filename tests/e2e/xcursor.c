/* Prints the cursor the X display really shows: its size, its hotspot, and a
 * count of opaque pixels, so a test can tell one cursor shape from another. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "xcursor: no display\n");
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == NULL) {
        fprintf(stderr, "xcursor: no cursor image\n");
        return 1;
    }
    unsigned long opaque = 0;
    for (unsigned long k = 0; k < (unsigned long)image->width * image->height; ++k) {
        if ((image->pixels[k] >> 24) != 0) {
            ++opaque;
        }
    }
    printf("width=%u height=%u xhot=%u yhot=%u opaque=%lu\n", image->width, image->height,
           image->xhot, image->yhot, opaque);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
