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
#define IDS_PLEASE_WAIT 1009
#define IDS_GENERATING_REPORT 1010  // also the list builder's progress text

// Strings of the dialog framework's data exchange.
#define IDS_DDX_INTEGER 2001
#define IDS_DDX_POSITIVE_INTEGER 2002
#define IDS_DDX_INTEGER_RANGE 2003

// The plug-in's own name and texts of its start: the name in the player's list, the registry key
// the settings live under, the first start's greeting, the visual style notice, and what a
// failure caught at a timer says.
#define IDS_PLUGIN_NAME 1
#define IDS_REGISTRY_PRODUCT 82
#define IDS_FIRST_START 81
#define IDS_XP_STYLE_NOTICE 42
#define IDS_UNEXPECTED_ERROR 1100

// The registry sections of the settings (the publishing settings' section is
// IDS_SETTINGS_CAPTION) and the report templates' defaults: the header is its two halves.
#define IDS_SECTION_GENERAL 1014
#define IDS_SECTION_MAIN 25
#define IDS_SECTION_DIALOG 17
#define IDS_DEFAULT_HEADER 77
#define IDS_DEFAULT_HEADER_END 80
#define IDS_DEFAULT_ITEM 78
#define IDS_DEFAULT_FOOTER 79

// The database: what recording a play, loading, saving and keeping a damaged file aside say
// (the unknown header and the failed save are IDS_GEN_UNKNOWN_HEADER and IDS_GEN_CANNOT_SAVE).
#define IDS_DB_ADDING_FAILED 51
#define IDS_DB_NEWER_FORMAT 1027
#define IDS_DB_FATAL_LOADING 1026
#define IDS_DB_LOAD_PATH_EMPTY 1019
#define IDS_DB_SAVE_PATH_EMPTY 1016
#define IDS_DB_FAILED_SAVING 1017
#define IDS_DB_KEPT_AS 2026  // followed by the file's name
#define IDS_DB_ENDS_INSIDE_PLAY 2027
#define IDS_DB_DAMAGED_AFTER 2257  // %1 plays loaded
#define IDS_DB_TEXTS_DAMAGED 2029
// The record commands' questions: for the group or for nothing in Playtally mode, for every
// instance or for the play only in Log mode.
#define IDS_ASK_REMOVE_GROUP 35
#define IDS_ASK_TAG_GROUP 39
#define IDS_ASK_PATH_GROUP 44
#define IDS_ASK_TAG_INSTANCES 45
#define IDS_ASK_PATH_INSTANCES 48
// The report: a list that could not be built, a program before or after publishing that would
// not run (followed by its command line).
#define IDS_REPORT_BUILD_FAILED 1036
#define IDS_RUN_FAILED 1021

// Uninstall from the player's preferences: the question, and what a failed removal says.
#define IDS_UNINSTALL_REMOVE_DATA 2140
#define IDS_UNINSTALL_DATABASE_KEPT 2141

// Record editing: the path dialog (template 1014) and the tag editor (template 129).
#define IDD_PATH 1014
#define IDC_PATH_BROWSE 1106
#define IDC_PATH_EDIT 1107
#define IDC_PATH_MISSING 1108
#define IDC_PATH_PROMPT 1109
#define IDS_PATH_PROMPT 49
#define IDS_PATH_PROMPT_MOVED 50
#define IDD_TAGEDIT 129
#define IDC_TAG_TITLE 1004
#define IDC_TAG_ARTIST 1005
#define IDC_TAG_ALBUM 1006
#define IDC_TAG_YEAR 1007
#define IDC_TAG_GENRE 1008
#define IDC_TAG_COMMENT 1009

// Settings sheet: General page (template 1009), fields chooser (1013), Publish page (1005)
#define IDD_GENERAL 1009
#define IDD_FIELDS 1013
#define IDD_PUBLISH 1005

#define IDC_GEN_DISABLE 1056
#define IDC_GEN_NOTSTORE 1058
#define IDC_GEN_SHOWICON 1068
#define IDC_GEN_REFRESH 1069
#define IDC_GEN_DBPATH 1059
#define IDC_GEN_BROWSE 1067
#define IDC_GEN_NOLARGER 1060
#define IDC_GEN_DBSIZE 1061
#define IDC_GEN_DATEFORMAT 1062
#define IDC_GEN_STOREAFTER 1063
#define IDC_GEN_AUTOSAVE 1064
#define IDC_GEN_NOTSTORE_TEXT 1093
#define IDC_GEN_NOTSTORE_FIELDS 1092
#define IDC_GEN_GROUPBY_TEXT 1094
#define IDC_GEN_GROUPBY_FIELDS 1095
#define IDC_GEN_MERGE 1113
// The General page's tooltips.
#define IDS_TIP_GEN_DISABLE 1066
#define IDS_TIP_GEN_NOTSTORE 1067
#define IDS_TIP_GEN_SHOWICON 1068
#define IDS_TIP_GEN_DBPATH 1069
#define IDS_TIP_GEN_BROWSE 1070
#define IDS_TIP_GEN_NOLARGER 1071
#define IDS_TIP_GEN_DBSIZE 1072
#define IDS_TIP_GEN_DATEFORMAT 1073
#define IDS_TIP_GEN_STOREAFTER 1074
#define IDS_TIP_GEN_NOTSTORE_TEXT 1075
#define IDS_TIP_GEN_NOTSTORE_FIELDS 1076
#define IDS_TIP_GEN_GROUPBY_TEXT 1077
#define IDS_TIP_GEN_MERGE 1078
#define IDS_TIP_GEN_GROUPBY_FIELDS 1079
#define IDS_TIP_GEN_AUTOSAVE 1080
#define IDS_TIP_GEN_REFRESH 1081
// The General page's texts: the two field lists' captions, the database file's browse title, and
// why a database path or a merge is refused (the database's load and save say the same).
#define IDS_GEN_NOTSTORE_CAPTION 36
#define IDS_GEN_GROUPBY_CAPTION 37
#define IDS_GEN_BROWSE_TITLE 1015
#define IDS_GEN_UNKNOWN_HEADER 26
#define IDS_GEN_CANNOT_SAVE 1018
#define IDS_GEN_MERGE_INTO_ITSELF 2028

#define IDC_FIELD_LENGTH 1035
#define IDC_FIELD_PLAYED 1036
#define IDC_FIELD_TITLE 1047
#define IDC_FIELD_ARTIST 1048
#define IDC_FIELD_ALBUM 1049
#define IDC_FIELD_YEAR 1050
#define IDC_FIELD_GENRE 1051
#define IDC_FIELD_COMMENT 1052
#define IDC_FIELD_DATE 1053

#define IDC_PUB_FILE 1032
#define IDC_PUB_FILE_BROWSE 1033
#define IDC_PUB_AUTOPUBLISH 1034
#define IDC_PUB_EVERY 1035
#define IDC_PUB_TIME 1036
#define IDC_PUB_BEFORE 1037
#define IDC_PUB_BEFORE_BROWSE 1038
#define IDC_PUB_AFTER 1039
#define IDC_PUB_AFTER_BROWSE 1040
#define IDC_PUB_HEADER 1042
#define IDC_PUB_ITEM 1043
#define IDC_PUB_FOOTER 1044
#define IDC_PUB_LAST 1045
#define IDC_PUB_TOP 1022
#define IDC_PUB_TOPCOUNT 1047
#define IDC_PUB_LOG 1048
#define IDC_PUB_PUBLISH_NOW 1052
#define IDC_PUB_OPEN 1053
#define IDC_PUB_BEFORE_HIDE 1055
#define IDC_PUB_BEFORE_WAIT 1056
#define IDC_PUB_AFTER_HIDE 1057
#define IDC_PUB_AFTER_WAIT 1058
#define IDC_PUB_HEADER_EDIT 1111
#define IDC_PUB_ITEM_EDIT 1112
#define IDC_PUB_FOOTER_EDIT 1113
// The Publish page's tooltips.
#define IDS_TIP_PUB_FILE 52
#define IDS_TIP_PUB_FILE_BROWSE 53
#define IDS_TIP_PUB_AUTOPUBLISH 54
#define IDS_TIP_PUB_EVERY 55
#define IDS_TIP_PUB_TIME 56
#define IDS_TIP_PUB_BEFORE 57
#define IDS_TIP_PUB_BEFORE_BROWSE 58
#define IDS_TIP_PUB_BEFORE_HIDE 59
#define IDS_TIP_PUB_BEFORE_WAIT 60
#define IDS_TIP_PUB_AFTER 61
#define IDS_TIP_PUB_AFTER_BROWSE 62
#define IDS_TIP_PUB_AFTER_HIDE 63
#define IDS_TIP_PUB_AFTER_WAIT 64
#define IDS_TIP_PUB_LAST 65
#define IDS_TIP_PUB_TOP 66
#define IDS_TIP_PUB_TOPCOUNT 67
#define IDS_TIP_PUB_LOG 68
#define IDS_TIP_PUB_HEADER 69
#define IDS_TIP_PUB_HEADER_EDIT 70
#define IDS_TIP_PUB_ITEM 71
#define IDS_TIP_PUB_ITEM_EDIT 72
#define IDS_TIP_PUB_FOOTER 73
#define IDS_TIP_PUB_FOOTER_EDIT 74
#define IDS_TIP_PUB_OPEN 75
#define IDS_TIP_PUB_PUBLISH_NOW 76
// The Publish page's texts: the three browse titles, the "Every:" choices (the "Last:" ones are
// the window's IDS_PERIOD_*), and what publishing says.
#define IDS_PUB_FILE_BROWSE_TITLE 1011
#define IDS_PUB_BEFORE_BROWSE_TITLE 1012
#define IDS_PUB_AFTER_BROWSE_TITLE 1013
#define IDS_EVERY_HOUR 19
#define IDS_EVERY_DAY 20
#define IDS_EVERY_WEEK 21
#define IDS_EVERY_MONTH 22
#define IDS_EVERY_YEAR 23
#define IDS_PUB_CANNOT_OPEN 24
// The settings sheet's caption (the publishing settings' registry section has the same text).
#define IDS_SETTINGS_CAPTION 18

// Settings sheet: Extras page (template IDD_EXTRAS) and its tooltip texts.
#define IDD_EXTRAS 1020
#define IDC_EXTRAS_READ_OTHER_TAGS 1200
#define IDS_TIP_READ_OTHER_TAGS 2150
// Exporting and importing plays: the Extras page's buttons, the tray menu's item, their tooltips.
#define IDC_EXTRAS_EXPORT 1201
#define IDC_EXTRAS_IMPORT 1202
#define ID_TRAY_EXPORT_PLAYS 32779
#define IDS_TIP_EXPORT_PLAYS 2252
#define IDS_TIP_IMPORT_PLAYS 2253
#define IDS_EXPORT_TITLE 2230
#define IDS_IMPORT_TITLE 2231
#define IDS_EXPORT_FILTER 2232
#define IDS_IMPORT_FILTER 2233
// What exporting says (%1 plays, %2 the file), and why it was refused, followed by the reason.
#define IDS_EXPORTING 2234
#define IDS_PLAYS_EXPORTED 2236  // %1 plays, %2 the file
#define IDS_EXPORT_FAILED 2237  // followed by the reason
#define IDS_EXPORT_ONTO_DATABASE 2256
#define IDS_NO_MEMORY 2255  // the reason when memory ran out, of an export or an import
// What importing says.
#define IDS_IMPORT_CANNOT_READ 2238  // followed by the reason
#define IDS_IMPORT_NOT_IMPORTED 2239  // followed by the reader's message
#define IDS_PLAYS_IMPORTED 2249  // %1 added, %2 duplicates
#define IDS_PLAYS_IMPORTED_TO_GO 2261  // %1 added, %2 duplicates, %3 the limit, %4 plays to go, %5 of them added
#define IDS_IMPORT_RAISE_LIMIT 2250  // %1 plays after the import, %2 the limit, %3 plays to go
#define IDS_IMPORT_ANYWAY 2251  // %3 plays to go
#define IDS_IMPORT_TOO_LARGE 2258
// The readers' messages about a file of plays (%1 its line, %2 its column).
#define IDS_READ_NOT_A_PLAYS_FILE 2240
#define IDS_READ_JSON_BROKEN 2241  // %3 the parser's reason
#define IDS_READ_NOT_A_LISTEN 2242
#define IDS_READ_NOT_A_TEXT 2243  // %3 the key
#define IDS_READ_LOG_FIELD_COUNT 2244  // %3 the count
#define IDS_READ_LOG_RATING 2245
#define IDS_READ_LOG_START 2246
#define IDS_READ_LOG_DURATION 2247
#define IDS_READ_LISTEN_TIME 2248
#define IDS_READ_LISTEN_TOO_EARLY 2259
#define IDS_READ_LOG_TOO_EARLY 2260

// Settings sheet: ListenBrainz page (template IDD_LISTENBRAINZ), its controls and tooltip texts.
#define IDD_LISTENBRAINZ 1030
#define IDC_LB_SEND 1400
#define IDC_LB_TOKEN 1401
#define IDC_LB_API_ROOT 1402
#define IDC_LB_CHECK 1403
#define IDC_LB_CHECK_RESULT 1404
#define IDC_LB_PLAYING_NOW 1405
#define IDC_LB_LISTEN_RULE 1406
#define IDC_LB_STATUS 1407
#define IDC_LB_CLEAR_REFUSED 1408
#define IDC_LB_WARNING 1409
#define IDS_TIP_LB_SEND 2660
#define IDS_TIP_LB_TOKEN 2661
#define IDS_TIP_LB_API_ROOT 2662
#define IDS_TIP_LB_CHECK 2663
#define IDS_TIP_LB_PLAYING_NOW 2664
#define IDS_TIP_LB_LISTEN_RULE 2665
#define IDS_TIP_LB_STATUS 2666
#define IDS_TIP_LB_CLEAR_REFUSED 2667
#define IDS_LB_CLEAR_REFUSED 2668  // the button's caption as a string (no code loads it today)
#define IDC_LB_SHOW_REFUSED 1410
#define IDS_TIP_LB_SHOW_REFUSED 2669
// The refused listens (template IDD_LB_REFUSED), shown from the ListenBrainz page.
#define IDD_LB_REFUSED 1032
#define IDC_LB_REFUSED_LIST 1411
#define IDS_TIP_LB_REFUSED_LIST 2670
#define IDS_LB_REFUSED_ARTIST 2645
#define IDS_LB_REFUSED_TITLE 2646
#define IDS_LB_REFUSED_WHEN 2647
#define IDS_LB_REFUSED_REASON 2648
// Why a listen is refused, one text per fault, in the order of ListenFault.
#define IDS_LISTEN_NOT_JSON 2601
#define IDS_LISTEN_TOO_LARGE 2602
#define IDS_LISTEN_EXTRA_KEY 2603
#define IDS_LISTEN_BAD_TIME 2604
#define IDS_LISTEN_NO_METADATA 2605
#define IDS_LISTEN_NO_ARTIST 2606
#define IDS_LISTEN_NO_TITLE 2607
#define IDS_LISTEN_BAD_INFO 2608
#define IDS_LISTEN_BAD_DURATION 2609
#define IDS_LISTEN_NUL_CHARACTER 2610
// What the server's answers mean (%1, %2 are filled in), and the outbox's messages.
#define IDS_LB_NO_ANSWER 2620  // %1 why
#define IDS_LB_SERVER_ANSWERED 2621  // %1 status, %2 reason
#define IDS_LB_TOKEN_REFUSED 2622
#define IDS_LB_ASKED_TO_WAIT 2623  // %1 seconds
#define IDS_LB_LISTEN_REFUSED 2624  // %1 reason (no code loads it today)
#define IDS_LB_TOKEN_REFUSED_NOTICE 2625
#define IDS_LB_OUTBOX_NOT_WRITTEN 2626
#define IDS_LB_OUTBOX_DAMAGED 2627
// The ListenBrainz page's status line and the check's results.
#define IDS_LB_WAITING 2630
#define IDS_LB_LAST_ACCEPTED 2631
#define IDS_LB_LAST_ERROR 2632
#define IDS_LB_REFUSED_COUNT 2633
#define IDS_LB_NOTHING_SENT 2634
#define IDS_LB_TOKEN_VALID 2635  // %1 user name
#define IDS_LB_TOKEN_INVALID 2636  // %1 reason
#define IDS_LB_CHECK_FAILED 2637  // %1 reason
#define IDS_LB_NO_TOKEN 2638
#define IDS_LB_UNENCRYPTED 2639
#define IDS_LB_TOKEN_NOT_STORED 2640
#define IDS_LB_CHECKING 2641
#define IDS_LB_SENDING_OFF 2642
#define IDS_LB_WAITS_FOR_TOKEN 2643
#define IDS_LB_BAD_API_ROOT 2644

// Template editor (template 1018) and About box (template 1011).
#define IDD_ABOUTBOX 1011
#define IDD_HTMLEDIT 1018
#define IDC_HTMLEDIT_TEXT 1112
#define IDC_ABOUT_WEBSITE 1086
#define IDS_WEB_PAGE 38

// ---- Playtally window (template 1001), the tray menu (1004) and the list's menu (1005) ----
#define IDD_PLAYTALLY 1001
// The links along the top, the period, the column switches, the mode and the record links.
#define IDC_PT_SETTINGS 1097
#define IDC_PT_PUBLISH 1100
#define IDC_PT_WEBSITE 1101
#define IDC_PT_ABOUT 1098
#define IDC_PT_LINE_TOP 1099
#define IDC_PT_PERIOD 1012
#define IDC_PT_SINCE 1024
#define IDC_PT_TILL 1025
#define IDC_PT_LAST 1013
#define IDC_PT_LAST_COMBO 1019
#define IDC_PT_LINE_PERIOD 1102
#define IDC_PT_SHOW_NUMBER 1032
#define IDC_PT_SHOW_DATE 1053
#define IDC_PT_SHOW_HITS 1033
#define IDC_PT_SHOW_LENGTH 1035
#define IDC_PT_SHOW_PLAYED 1036
#define IDC_PT_SHOW_ARTIST 1048
#define IDC_PT_SHOW_TITLE 1047
#define IDC_PT_SHOW_ALBUM 1049
#define IDC_PT_SHOW_YEAR 1050
#define IDC_PT_SHOW_GENRE 1051
#define IDC_PT_SHOW_COMMENT 1052
#define IDC_PT_SHOW_TOP 1031
#define IDC_PT_TOP_COUNT 1022
#define IDC_PT_LINE_COLUMNS 1103
#define IDC_PT_PLAYTALLY 1109
#define IDC_PT_LOG 1110
#define IDC_PT_REMOVE 1091
#define IDC_PT_EDIT 1092
#define IDC_PT_PLAY 1093
#define IDC_PT_LIST 1010
#define IDC_PT_HELP 1104
// "Refresh" and "Close" are IDOK and IDCANCEL.

#define IDR_TRAY_MENU 1004
#define ID_TRAY_SETTINGS 32773
#define ID_TRAY_SHOW 32774
#define ID_TRAY_PUBLISH 32775
#define ID_TRAY_WEBSITE 32778
#define ID_TRAY_ABOUT 32772
// The list's menu sends the record links' own ids, and one of its own.
#define IDR_LIST_MENU 1005
#define ID_LIST_PLAY IDC_PT_PLAY
#define ID_LIST_REMOVE IDC_PT_REMOVE
#define ID_LIST_PATH 32777
#define ID_LIST_EDIT IDC_PT_EDIT

// The window's texts: its caption, the "Last:" choices, the top-count message.
#define IDS_PT_CAPTION 16
#define IDS_PERIOD_DAY 2
#define IDS_PERIOD_WEEK 3
#define IDS_PERIOD_MONTH 4
#define IDS_PERIOD_YEAR 5
#define IDS_PERIOD_BEGINNING 6
#define IDS_PT_TOP_COUNT_INVALID 46
// Help texts, shown in the help area while the mouse is over their control.
#define IDS_HELP_PLAYTALLY 40
#define IDS_HELP_LOG 41
#define IDS_HELP_EDIT 43
#define IDS_HELP_PLAY 47
#define IDS_HELP_SHOW_NUMBER 1038
#define IDS_HELP_SHOW_HITS 1039
#define IDS_HELP_SHOW_LENGTH 1040
#define IDS_HELP_SHOW_PLAYED 1041
#define IDS_HELP_SHOW_DATE 1042
#define IDS_HELP_SHOW_ARTIST 1043
#define IDS_HELP_SHOW_TITLE 1044
#define IDS_HELP_SHOW_ALBUM 1045
#define IDS_HELP_SHOW_GENRE 1046
#define IDS_HELP_SHOW_YEAR 1047
#define IDS_HELP_REFRESH 1048
#define IDS_HELP_CLOSE 1049
#define IDS_HELP_SHOW_COMMENT 1050
#define IDS_HELP_SHOW_TOP 1051
#define IDS_HELP_PERIOD 1052
#define IDS_HELP_LAST 1053
#define IDS_HELP_SINCE 1054
#define IDS_HELP_TILL 1055
#define IDS_HELP_LAST_COMBO 1056
#define IDS_HELP_HELP_AREA 1057
#define IDS_HELP_LIST 1058
#define IDS_HELP_HEADER 1059
#define IDS_HELP_PUBLISH 1060
#define IDS_HELP_ABOUT 1061
#define IDS_HELP_WEBSITE 1062
#define IDS_HELP_REMOVE 1063
#define IDS_HELP_SETTINGS 1064
#define IDS_HELP_TOP_COUNT 1065
// ---- end of the Playtally window block ----

// ---- Listening statistics: the statistics page on the Publish page, the rules that keep plays
// out of the rankings (their dialog, opened from the Extras page) ----
#define IDC_PUB_STATS 1300
#define IDC_PUB_STATSFILE 1301
#define IDS_TIP_PUB_STATS 2300
#define IDS_TIP_PUB_STATSFILE 2301
#define IDC_EXTRAS_KEEPOUT 1302
#define IDS_TIP_KEEPOUT_BUTTON 2302
#define IDD_KEEPOUT 1031
#define IDC_KEEPOUT_LIST 1303
#define IDC_KEEPOUT_FIELD 1304
#define IDC_KEEPOUT_TEXT 1305
#define IDC_KEEPOUT_ADD 1306
#define IDC_KEEPOUT_REMOVE 1307
#define IDS_TIP_KEEPOUT_LIST 2303
#define IDS_TIP_KEEPOUT_FIELD 2304
#define IDS_TIP_KEEPOUT_TEXT 2305
#define IDS_TIP_KEEPOUT_ADD 2306
#define IDS_TIP_KEEPOUT_REMOVE 2307
#define IDS_KEEPOUT_MARK 2308
// The Playtally window's First, Last and Heard switches and its "Rank by:" box.
#define IDC_PT_SHOW_FIRST 1310
#define IDC_PT_SHOW_LAST 1311
#define IDC_PT_SHOW_HEARD 1312
#define IDC_PT_RANK_BY 1313
#define IDS_HELP_SHOW_FIRST 2310
#define IDS_HELP_SHOW_LAST 2311
#define IDS_HELP_SHOW_HEARD 2312
#define IDS_HELP_RANK_BY 2313
#define IDS_RANK_BY_HITS 2314
#define IDS_RANK_BY_HEARD 2315
// ---- end of the listening statistics block ----
