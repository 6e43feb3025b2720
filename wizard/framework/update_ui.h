// Keeps controls' states in step with the application's during idle time, from the dialog's
// update-UI map. The wizard dialog declares an empty map, so there is nothing to keep in step:
// the base gives the dialog its shape and adds no behaviour.
//   BEGIN_UPDATE_UI_MAP(CMyDlg)
//   END_UPDATE_UI_MAP()
#pragma once

#include <windows.h>

// One control of the map; the map ends with id 0.
struct UpdateUIEntry {
  WORD id;
  WORD type;  // which of the control's states follow: enabled, checked, text
};

// clang-format off
#define BEGIN_UPDATE_UI_MAP(theClass)            \
 public:                                         \
  static const UpdateUIEntry* GetUpdateUIMap() { \
    static const UpdateUIEntry entries[] = {
#define END_UPDATE_UI_MAP() \
  {0, 0}};                  \
  return entries;           \
  }
// clang-format on

template <class T>
class CUpdateUI {
 protected:
  // A class on this base declares its map, even an empty one.
  CUpdateUI() { static_cast<void>(T::GetUpdateUIMap()); }
  ~CUpdateUI() = default;
};
