// Resource ids shared by the string tables and the code that loads them.
#pragma once

#define IDS_BROWSE_FOR_FOLDER 1
#define IDS_EXISTING_IN_FOLDER 3
#define IDS_ASK_OVERWRITE 4
#define IDS_READ_ONLY_FILES 5
#define IDS_ASK_RESUME 6
#define IDS_OVERWRITE_CHOICES 7
#define IDS_RESUME_CHOICES 8
#define IDS_EXISTING_IN_TEMP 10
#define IDS_ASK_CLOSE 26
#define IDS_SELECT_FOLDER 29
#define IDS_NOT_WRITEABLE 43
#define IDR_MAINFRAME 128
#define AFX_IDS_APP_TITLE 57344
#define IDS_COMPANY_NAME 57345
#define IDS_PRODUCT_NAME 57346
