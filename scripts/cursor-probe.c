/* Prints how many pixels of the X server's current pointer image are not
 * fully transparent: 0 means the pointer is hidden. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 2;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == NULL) return 3;
    unsigned long visible = 0;
    for (int i = 0; i < image->width * image->height; ++i)
        if ((image->pixels[i] >> 24) & 0xff) ++visible;
    printf("%lu\n", visible);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
