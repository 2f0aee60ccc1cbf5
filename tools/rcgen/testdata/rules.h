// Names for rules.rc; included twice there to show #pragma once at work.
#pragma once

#define IDD_DEFAULTS 200
#define IDD_ORDER 201
#define IDD_EXTENDED 202
#define IDC_FIRST 3000
#define IDC_NEXT (IDC_FIRST + 1)
#define IDB_PICTURE 131
#define BORDERED WS_BORDER | WS_TABSTOP /* a style of several terms */

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
