// Identifiers of the program's resources, controls and commands.
#pragma once

#define IDR_MAINFRAME                   128
#define IDR_STARTUP_ENTRY               129

#define IDP_OLE_INIT_FAILED             100
#define IDP_SOCKETS_INIT_FAILED         104

#define IDD_METRICS                     101
#define IDD_STARTUP                     102

#define IDS_INDICATOR_PROCESSES         1001
#define IDS_INDICATOR_CPU               1002
#define IDS_INDICATOR_MEMORY            1003

// Labels and frames that no code refers to.
#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

// "Sytem Metrics" page
#define IDC_PROGRESS_ALL                1004
#define IDC_PROGRESS_PAGE               1005
#define IDC_PROGRESS_PHYS               1006
#define IDC_PROGRESS_CPU                1007
#define IDC_PERCENT_ALL                 1008
#define IDC_PERCENT_PAGE                1009
#define IDC_PERCENT_PHYS                1010
#define IDC_PERCENT_CPU                 1011
#define IDC_ALL_TOTAL                   1012
#define IDC_ALL_USED                    1013
#define IDC_ALL_FREE                    1014
#define IDC_PAGE_TOTAL                  1015
#define IDC_PAGE_USED                   1016
#define IDC_PAGE_FREE                   1017
#define IDC_PHYS_TOTAL                  1018
#define IDC_PHYS_USED                   1019
#define IDC_PHYS_FREE                   1020
#define IDC_CPU_FREQUENCY               1021
#define IDC_CPU_VENDOR                  1022
#define IDC_DRIVES_LIST                 1023
#define IDC_TOTAL_ALLOCABLE             1024
#define IDC_UPDATE_DRIVES               1030

// "Start-Up" page
#define IDC_STARTUP_LIST                1025
#define IDC_APPLY                       1043
#define IDC_REVERT                      1044
#define IDC_SEARCH                      1045
#define IDC_STARTUP_STATUS              1046
#define IDC_STARTUP_COMPARISON          1047
// Made by the page once the window is drawn, above the list.
#define IDC_STARTUP_GROUP               1048
#define IDC_STARTUP_FILTER              1049

// Menu commands
#define ID_UPDATESPEED_VERYFAST         32811
#define ID_UPDATESPEED_FAST             32812
#define ID_UPDATESPEED_NORMAL           32813
#define ID_UPDATESPEED_SLOW             32814
#define ID_UPDATESPEED_VERYSLOW         32815
#define ID_UPDATESPEED_IDLE             32816
#define ID_FILE_EXIT                    32818
#define ID_FILE_SAVE_STARTUP_LIST       32819
#define ID_FILE_HIDE_WINDOWS_ENTRIES    32825
#define ID_FILE_COMPARE_STARTUP_LIST    32826
#define ID_FILE_RUN_AS_ADMINISTRATOR    32827

// What the Start-Up page's menu does with the selected entries
#define ID_ENTRY_OPEN_LOCATION          32820
#define ID_ENTRY_PROPERTIES             32821
#define ID_ENTRY_JUMP                   32822
#define ID_ENTRY_SEARCH                 32823
#define ID_ENTRY_COPY                   32824

// The application's title, the framework's default caption of message boxes.
#define AFX_IDS_APP_TITLE               57344
