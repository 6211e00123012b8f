#pragma once
// The About box: the icon, the version line and an OK button; no behaviour of its own.

#include <afxwin.h>

class AboutDialog : public CDialog {
public:
    AboutDialog();

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    DECLARE_MESSAGE_MAP()
};
