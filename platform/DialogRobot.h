#pragma once
// A person at the screen, for test hosts: finds a dialog of this process by its caption and
// works it through window messages from another thread than the one showing it. Texts are
// Windows-1250. On POSIX, where the driver shows no windows, no dialog is ever found.
#include "platform/Dialog.h"

class TDialogRobot {
public:
    // Waits up to timeoutMs for a visible dialog with that caption; true when one came.
    bool WaitFor(const AnsiString& caption, int timeoutMs);
    // Waits up to timeoutMs until the dialog found last is gone.
    bool WaitGone(int timeoutMs);

    // What the dialog shows now, read from its windows: caption, client size, owner, font,
    // and the controls in the order of the dialog's data with their kind, place, text,
    // items, selection, check state, and whether they are enabled and visible.
    TDialog Read() const;
    // The dialog's place on the screen, frame included.
    void ScreenRect(int& left, int& top, int& width, int& height) const;

    // A person's actions; control is a position in Read().controls.
    void Select(int control, int item);  // picks an item of a list
    void Click(int control);             // clicks a button or a check box
    void Key(TDialogKey key);            // presses F2 or Esc where the focus is
    void CloseBox();                     // the close box of the caption

private:
    void* FWindow = nullptr;
};

// Whether a window (of a host) takes input now.
bool WindowEnabled(void* window);
// A plain top-level window a test host gives the driver as its own; and its end.
void* CreateHostWindow(const AnsiString& caption);
void DestroyHostWindow(void* window);
