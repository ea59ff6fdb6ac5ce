#pragma once
// The About box: the icon and the program's name and version. OK and Cancel
// close it with their ids.

#include "resources/resource.h"
#include "ui/dialog_impl.h"

namespace verbarium {

class CAboutDlg : public ui::CDialogImpl<CAboutDlg> {
 public:
  enum { IDD = IDD_ABOUT };

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace verbarium
