// Locks the keyboard group of the X display in DISPLAY, as switching layouts does (the second
// layout of "us,ru" is group 1); xdotool puts its own group back after each key.
//
//   nimbrook-e2e-keyboard_group <group>

#include <cstdlib>

#include <X11/XKBlib.h>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 1;
    }
    const int group = std::atoi(argv[1]);
    XkbStateRec state{};
    const bool locked = XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(group)) &&
                        XkbGetState(display, XkbUseCoreKbd, &state) == Success &&
                        state.locked_group == group;
    XCloseDisplay(display);
    return locked ? 0 : 1;
}
