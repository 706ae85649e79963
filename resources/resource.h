// Resource identifiers of the plug-in.
#pragma once

#define IDI_PLAYTALLY 1000
#define IDC_HANDCURSOR 1014

#define IDD_MESSAGE 1007
#define IDD_QUESTION 1012
#define IDD_PROGRESS 1008

#define IDC_DONT_SHOW_AGAIN 1069
#define IDC_MESSAGE_TEXT 1071

// Progress dialog (template IDD_PROGRESS).
#define IDC_PROGRESS_BAR 1003
#define IDC_PROGRESS_PERCENT 1004
#define IDC_PROGRESS_TEXT 1005

// Strings of the dialog framework's data exchange.
#define IDS_DDX_INTEGER 2001
#define IDS_DDX_POSITIVE_INTEGER 2002
#define IDS_DDX_INTEGER_RANGE 2003

// Uninstall from the player's preferences: the question, and what a failed removal says.
#define IDS_UNINSTALL_REMOVE_DATA 2140
#define IDS_UNINSTALL_DATABASE_KEPT 2141

// Record editing: the path dialog (template 1014) and the tag editor (template 129).
#define IDD_PATH 1014
#define IDC_PATH_BROWSE 1106
#define IDC_PATH_EDIT 1107
#define IDC_PATH_MISSING 1108
#define IDC_PATH_PROMPT 1109
#define IDD_TAGEDIT 129
#define IDC_TAG_TITLE 1004
#define IDC_TAG_ARTIST 1005
#define IDC_TAG_ALBUM 1006
#define IDC_TAG_YEAR 1007
#define IDC_TAG_GENRE 1008
#define IDC_TAG_COMMENT 1009

// Template editor (template 1018) and About box (template 1011).
#define IDD_ABOUTBOX 1011
#define IDD_HTMLEDIT 1018
#define IDC_HTMLEDIT_TEXT 1112
#define IDC_ABOUT_WEBSITE 1086
#define IDS_WEB_PAGE 38
