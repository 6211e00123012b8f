#include "ui/about_dialog.h"

#include "ui/resource_ids.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUT, nullptr) {}

void AboutDialog::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
}

BEGIN_MESSAGE_MAP(AboutDialog, CDialog)
END_MESSAGE_MAP()
