/* Resource ids of setup.exe: dialog templates, their controls and the
   field-information blocks (RCDATA with the id of their dialog).
   Plain #define lines only, so that both the C++ code and marrow.rc can
   include this file. IDOK (1) and IDCANCEL (2) come from <windows.h>. */
#ifndef MARROWFIELD_RESOURCE_IDS_H
#define MARROWFIELD_RESOURCE_IDS_H

/* Dialogs (the field-information blocks share the ids of their dialogs) */
#define IDD_RESTART 101
#define IDD_PROGRESS 104
#define IDD_INITIAL_PAGE 202
#define IDD_DIRECTORY_PAGE 203
#define IDD_FINISH_PAGE 205
#define IDD_SYSTEM_PAGE 206

/* Progress dialog */
#define IDC_PROGRESS_FRAME 1001
#define IDC_PROGRESS_BAR 1003
#define IDC_PROGRESS_TO 1005
#define IDC_PROGRESS_FROM 1007

/* Restart dialog */
#define IDC_RESTART_TEXT 1014

/* Page dialogs */
#define IDC_PAGE_FRAME 2001
#define IDC_DIRECTORY_FRAME 2002
#define IDC_PAGE_PICTURE 2003
#define IDC_DIRECTORY_LABEL 2004
#define IDC_ADD_SHORTCUTS 2006
#define IDC_PAGE_MESSAGE 2007
#define IDC_DIRECTORY_TEXT 2008
#define IDC_BROWSE 2011
#define IDC_ADD_VARIABLES 2012
#define IDC_ASSOCIATE_TYPES 2013

#endif /* MARROWFIELD_RESOURCE_IDS_H */
