// The driver shows no windows on POSIX: there is never a dialog to find.
#include "platform/DialogRobot.h"

bool TDialogRobot::WaitFor(const AnsiString&, int) { return false; }
bool TDialogRobot::WaitGone(int) { return FWindow == nullptr; }
TDialog TDialogRobot::Read() const { return TDialog(); }
void TDialogRobot::ScreenRect(int& left, int& top, int& width, int& height) const { left = top = width = height = 0; }
void TDialogRobot::Select(int, int) {}
void TDialogRobot::Click(int) {}
void TDialogRobot::Key(TDialogKey) {}
void TDialogRobot::CloseBox() {}
bool WindowEnabled(void*) { return false; }
void* CreateHostWindow(const AnsiString&) { return nullptr; }
void DestroyHostWindow(void*) {}
