/* Resource ids of the toolkit's own dialog. Plain #define lines only, so
   that both the C++ code and toolkit.rc can include this file. */
#ifndef MARROWFIELD_TOOLKIT_IDS_H
#define MARROWFIELD_TOOLKIT_IDS_H

/* Directory browser */
#define IDD_BROWSE_DIRECTORY 32101
#define IDC_BROWSE_PATH 1001
#define IDC_BROWSE_LIST 1002
#define IDC_BROWSE_DRIVES 1003

#endif /* MARROWFIELD_TOOLKIT_IDS_H */
