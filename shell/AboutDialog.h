// The About box, opened from the main page's system menu.
#pragma once

#include "platform/CDialog.h"
#include "res/resource.h"

class AboutDialog : public CDialog {
public:
    AboutDialog()
        : CDialog(IDD_ABOUTBOX)
    { }
};
