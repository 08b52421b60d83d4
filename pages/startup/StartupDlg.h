#pragma once
// The "Start-Up" page: the programs that run at log-on, each with a check box.

#include "framework/Framework.h"

class CStartupDlg : public CPropertyPage {
    DECLARE_DYNCREATE(CStartupDlg)
public:
    CStartupDlg();

    BOOL OnInitDialog() override;
};
