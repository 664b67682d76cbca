// Resource identifiers of orvend.dll: the setup dialog, its controls, its bitmaps and its strings.
#pragma once

#define IDD_SETUP 5004

#define IDC_MODEL_LIST 5000
#define IDC_PAUSE_CHECK 5002
#define IDC_POD_CHECK 5007
#define IDC_VENDOR_LIST 5015
#define IDC_VENDOR_LABEL 5020
#define IDC_MODEL_LABEL 5021
#define IDC_PAUSE_NOTE 5022
#define IDC_PRODUCT_INFO 5026

#define IDB_CHIP 5003
#define IDB_BANNER 5010

#define IDS_CHIP_TOO_SMALL 5013
#define IDS_NO_DEVICE 5014
#define IDS_CODE_TOO_LARGE 5016
#define IDS_PAUSE_NOTE 5017
#define IDS_FIRMWARE_INFO 5018
#define IDS_NOT_CONNECTED 5019
#define IDS_STOP_FAILED 5021
#define IDS_COMM_ERROR 5027
