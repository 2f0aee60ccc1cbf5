// Resource and control numbers, shared by tarnwick.rc and the code that drives its dialogs. Plain
// #defines so that the resource compiler, rcgen and C++ all read the same file.
//
// A few numbers serve different controls on different pages (1020, 1021, 1022); every page's
// control has its own name, and a page's code uses only its own names.
#pragma once

// Icon and bitmap
#define IDR_MAINFRAME 128 // the program's icon, also shown in the About box
#define IDB_SIDEBAR 131 // side picture of the licence, JVM and main pages

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_JVM 132
#define IDD_LICENSE 133

// String table
#define IDS_ABOUTBOX 101 // system menu entry that opens the About box
#define IDS_CANT_GET_FOLDER 102 // the chosen folder has no file-system path

// Unnamed controls (labels and pictures nobody addresses)
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Main page (IDD_MAIN). Its "Cancel" button is IDOK.
#define IDC_BACK 1000
#define IDC_INSTALL 1001
#define IDC_DIR1_EDIT 1002
#define IDC_DIR1_BROWSE 1004
#define IDC_DIR2_EDIT 1005
#define IDC_DIR2_BROWSE 1006
#define IDC_OPTION_CHECK1 1007
#define IDC_OPTION_CHECK2 1008
#define IDC_OPTION_CHECK3 1009
#define IDC_OPTION_CHECK4 1010
#define IDC_OPTION_CHECK5 1011
#define IDC_OPTION_CHECK6 1012
#define IDC_OPTION_CHECK7 1013
#define IDC_DIR1_LABEL 1015
#define IDC_DIR2_LABEL 1016
#define IDC_DIR3_LABEL 1020
#define IDC_DIR3_EDIT 1021
#define IDC_DIR3_BROWSE 1022
#define IDC_PROGRESS 1028

// JVM page (IDD_JVM). "Next >>" is IDOK, "Cancel" IDCANCEL.
#define IDC_JVM_LIST 1017
#define IDC_JVM_BACK 1018
#define IDC_JVM_PATH 1019
#define IDC_JVM_BROWSE 1020

// Licence page (IDD_LICENSE). "Next >>" is IDOK, "Cancel" IDCANCEL.
#define IDC_LICENSE_DISAGREE 1021
#define IDC_LICENSE_AGREE 1022
#define IDC_LICENSE_TEXT 1023
#define IDC_LICENSE_BACK 1025
