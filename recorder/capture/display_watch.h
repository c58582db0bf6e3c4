// Watches the monitors while a recording runs. A new resolution, a monitor unplugged or
// docking must not leave the recording grabbing where nothing is shown (a black movie)
// or failing: an area still shown goes on; one partly gone is moved, keeping its size,
// onto what is left; one that no longer fits ends the recording, which is then saved.
// The system announces changes to the main window (displayChanges), but not on every
// system (Wine leaves an external change unannounced), so the virtual screen and the
// number of monitors are compared as well: a few metrics, cheap enough for every frame.
// Recording thread.
#pragma once
#include <windows.h>

class DisplayWatch {
public:
    enum class Change { None, Moved, Lost };

    DisplayWatch(int left, int top, int width, int height);

    // What the last display change means for the area; `left` and `top` receive a moved
    // area's new origin.
    Change Check(int& left, int& top);

private:
    struct Signature {
        int left, top, width, height, monitors;
        unsigned announced;
        bool operator==(const Signature& o) const;
    };
    static Signature Now();

    RECT m_area;
    Signature m_seen;
};
