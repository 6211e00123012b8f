// The message map of the probe dialog that the dialog and control tests share.
#include "support/dialog_probe.h"

namespace dialog_test {

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
ON_WM_CLOSE()
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_MOUSEMOVE()
ON_WM_MOUSEWHEEL()
ON_WM_QUERYDRAGICON()
ON_LBN_SELCHANGE(IDC_LIST, OnSelchangeList)
ON_CBN_SELCHANGE(IDC_COMBO, OnSelchangeCombo)
ON_BN_CLICKED(IDC_BUTTON, OnReset)
END_MESSAGE_MAP()

}  // namespace dialog_test
