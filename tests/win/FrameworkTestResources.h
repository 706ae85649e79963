// Dialog templates that only the framework's tests use.
#pragma once

#define IDD_TEST_EXCHANGE 9001
#define IDD_TEST_PAGE_A 9002
#define IDD_TEST_PAGE_B 9003

#define IDC_TEST_TEXT 101
#define IDC_TEST_INT 102
#define IDC_TEST_UNSIGNED 103
#define IDC_TEST_RANGED 104
#define IDC_TEST_CHECK 105
#define IDC_TEST_RADIO1 106
#define IDC_TEST_RADIO2 107
#define IDC_TEST_RADIO3 108
#define IDC_TEST_COMBO 109
#define IDC_TEST_AFTER_RADIOS 110

#define IDC_TEST_PAGE_A_NUMBER 201
#define IDC_TEST_PAGE_B_TEXT 301
