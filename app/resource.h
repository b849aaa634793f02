// Resource identifiers of the program: shared by the resource script and the code.
#pragma once

#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

#define IDI_PARALLUX 107
#define IDI_PARALLUX_SMALL 108

#define IDC_PARALLUX 109  // the main menu and its accelerators

#define IDD_ABOUTBOX 103
#define IDD_OPTIONS 129
#define IDD_TEXT_INPUT 130

// Menu commands.
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_OPTIONS 32774
#define IDM_VIEW_TEXT 32775
#define IDM_PAUSE 32780
#define IDM_COPY 32782
#define IDM_VIEW_GUIDE 32785
#define IDM_TEXT_INPUT 32788

// Controls.
#define IDC_TEXT_EDIT 1000
#define IDC_REVERSE 1001
#define IDC_PARALLAX_WIDTH 1002
#define IDC_TEXT_GROUP 1002
#define IDC_GREY_DOTS 1003
#define IDC_COLOUR_DOTS 1004
#define IDC_TEXT_DEPTH 1005

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
