/* Identifiers of the setup's resources: dialog templates, the icon and the controls.
   Plain #defines only, so that both the resource compiler and C++ read this file.
   Control ids repeat across templates; each name says which template it belongs to. */
#pragma once

/* Templates */
#define IDD_WIZARD_FRAME        102
#define IDD_LANGUAGE_PAGE       130
#define IDD_WELCOME_PAGE        131
#define IDD_LICENCE_PAGE        132
#define IDD_DIRECTORY_PAGE      133
#define IDD_GROUP_PAGE          134
#define IDD_CONFIRM_PAGE        135
#define IDD_PROGRESS_PAGE       136
#define IDD_FINISH_PAGE         137
#define IDD_CANCEL_PAGE         171

/* The application icon */
#define IDI_APP_ICON            128
/* The banner static names bitmap 129, which deliberately does not exist: the static
   starts empty and the frame sets the banner from a file. */
#define IDB_BANNER              129

/* Frame, template 102 */
#define IDC_NEXT                1001
#define IDC_BACK                1002
#define IDC_CANCEL_BUTTON       1003
#define IDC_PUBLISHER_LINK      1018
#define IDC_BANNER_SEPARATOR    1019
#define IDC_BUTTON_SEPARATOR    1020
#define IDC_BANNER              1023

/* Language page, template 130 */
#define IDC_LANGUAGE_LIST       1006
#define IDC_LANGUAGE_LABEL      1012

/* Welcome page, template 131 */
#define IDC_WELCOME_TEXT        1008

/* Licence page, template 132 */
#define IDC_LICENCE_TEXT        1009
#define IDC_LICENCE_ACCEPT      1010
#define IDC_LICENCE_LABEL       1011

/* Directory page, template 133 */
#define IDC_DIRECTORY_LABEL     1013
#define IDC_DIRECTORY_GROUPBOX  1014
#define IDC_DIRECTORY_EDIT      1015
#define IDC_DIRECTORY_BROWSE    1016

/* Program group page, template 134 */
#define IDC_GROUP_LABEL         1017
#define IDC_GROUP_LIST          1018
#define IDC_GROUP_EDIT          1019

/* Confirmation page, template 135 */
#define IDC_CONFIRM_TEXT        1020

/* Progress page, template 136 */
#define IDC_CURRENT_FILE        1012
#define IDC_PROGRESS_TEXT       1013
#define IDC_TOTAL_LABEL         1015
#define IDC_FILE_BAR            1021
#define IDC_TOTAL_BAR           1022

/* Finish page, template 137 */
#define IDC_LAUNCH_CHECK        1016
#define IDC_FINISH_TEXT         1017

/* Cancel page, template 171 */
#define IDC_CANCEL_TEXT         1022
