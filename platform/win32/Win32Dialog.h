#pragma once
// What the Win32 presenter and the dialog robot agree on: a control's window identifier is
// kFirstControlId plus its position in TDialog::controls.
namespace win32 {
constexpr int kFirstControlId = 100;
constexpr const wchar_t* kDialogClass = L"VelkoraDialog";
}  // namespace win32
