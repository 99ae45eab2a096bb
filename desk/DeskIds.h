// The numbers of the desk's icon, dialogs and controls: the only place they
// are written. Read by the resource compiler (desk/resources/desk.rc) and by
// the desk's code and tests, so it holds nothing but #defines.
#pragma once

// Dialog end codes and message box answers, with the values <windows.h>
// gives them, for the portable code that does not include it.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDYES
#define IDYES 6
#endif
#ifndef IDNO
#define IDNO 7
#endif

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_DESK 101

#define IDD_MAIN 102
#define IDD_DIRECTORIES 103
#define IDD_ADD_ORDER 104
#define IDD_NOTIFY_MODE 105
#define IDD_ORDER_STATUS 106
#define IDD_CAR_DESCRIPTION 107
#define IDD_TARIFF 109
#define IDD_ORDER_ID 110
#define IDD_AUTO_ACCEPT 120

// Main window.
#define IDC_SERVER 1001
#define IDC_PORT 1002
#define IDC_LOGIN 1003
#define IDC_PASSWORD 1004
#define IDC_CONNECT 1005
#define IDC_DISCONNECT 1006
#define IDC_GET_DIRECTORY 1007
#define IDC_ADD_ORDER 1008
#define IDC_ACCEPT_ORDER 1009
#define IDC_RETURN_MY_ORDER 1010
#define IDC_CHANGE_STATUS 1011
#define IDC_RETURN_FOREIGN_ORDER 1012
#define IDC_CAR_DESCRIPTION 1013
#define IDC_STATEMENT 1014
#define IDC_TARIFF 1015
#define IDC_NOTIFY_MODE 1016
#define IDC_NEW_ORDERS 1017
#define IDC_MY_ORDERS 1018
#define IDC_FULL_INFO 1019
#define IDC_PARTIAL_INFO 1020
// The frames of the order lists, which follow the lists when the window grows.
#define IDC_NEW_ORDERS_GROUP 1070
#define IDC_MY_ORDERS_GROUP 1071
// The journal of answers and notifications under the order lists.
#define IDC_JOURNAL_GROUP 1072
#define IDC_JOURNAL 1073
// The connection's state across the bottom of the main window.
#define IDC_STATE_LINE 1074
// Auto-accept's switch and its rules button, on the new orders' frame.
#define IDC_AUTO_ACCEPT 1201
#define IDC_AUTO_ACCEPT_RULES 1202

// New order. The dialog ends with the id of its publish button.
#define IDC_CITY_FROM 1024
#define IDC_STREET_FROM 1025
#define IDC_ADDITIONAL_FROM 1026
#define IDC_CITY_TO 1027
#define IDC_STREET_TO 1028
#define IDC_ADDITIONAL_TO 1029
#define IDC_CARRIER_TYPE 1030
#define IDC_PRICE 1031
#define IDC_CLIENT_PHONE 1032
#define IDC_TARIFF_MODE 1033
#define IDC_COMMENT 1034
#define IDC_PRELIMINARY 1035
#define IDC_PRELIMINARY_DATE 1036
#define IDC_PRELIMINARY_TIME 1037
#define IDC_STATUS 1038
#define IDC_PUBLISH 1039
#define IDC_TIME_TO_LIVE 1055

// Notification mode.
#define IDC_MODE_ALL 1018
#define IDC_MODE_NEWER 1019
#define IDC_MODE_INTERVAL 1020
#define IDC_NEWER_SECONDS 1040
#define IDC_BEGIN_DATE 1041
#define IDC_BEGIN_TIME 1043
#define IDC_END_DATE 1044
#define IDC_END_TIME 1045

// Status and price: IDC_STATUS and IDC_PRICE, as in the new order.

// Car description.
#define IDC_CAR_FULL_DESCRIPTION 1040
#define IDC_CAR_MINUTES 1044
#define IDC_CAR_GOV_NUMBER 1045
#define IDC_CAR_CALL_NUMBER 1046

// Directory viewer.
#define IDC_DIR_CARRIER_TYPES 1018
#define IDC_DIR_ORDER_STATES 1019
#define IDC_DIR_CITIES 1020
#define IDC_DIR_CLIENTS 1021
#define IDC_DIR_LIST 1023

// Tariff request.
#define IDC_TARIFF_PUBLISHER 1049
#define IDC_TARIFF_ACCEPTOR 1052
#define IDC_TARIFF_CITY 1053

// Order id.
#define IDC_ORDER_ID 1054

// Auto-accept rules.
#define IDC_AA_ENABLED 1210
#define IDC_AA_CITIES 1211
#define IDC_AA_CARRIER_TYPES 1212
#define IDC_AA_MIN_PRICE 1213
#define IDC_AA_ANY 1214
#define IDC_AA_NOW 1215
#define IDC_AA_LATER 1216
#define IDC_AA_MAX_OPEN 1217
#define IDC_AA_PROBLEM 1218
