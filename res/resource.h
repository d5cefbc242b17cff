/* Resource ids of Quorvel: one place for every id that the .rc files and the
   C++ code share. Plain #defines so that windres and both compilers read it. */
#ifndef QUORVEL_RESOURCE_H
#define QUORVEL_RESOURCE_H

/* Icons and accelerators */
#define IDI_APP 107
#define IDI_ALBUM1 152
#define IDI_ALBUM2 153
#define IDR_ACCELERATORS 109
#define IDM_ACCEL_HELP 104
#define IDM_ACCEL_ESCAPE 105

/* Texts of the process record */
#define IDS_CAPTION 1
#define IDS_PROGRAM_NAME 3
#define IDS_COMPANY_FOLDER 4

/* Settings file: section and key names */
#define IDS_INI_SECTION 150
#define IDS_KEY_ALBUM_FOLDER 501
#define IDS_KEY_ALBUMS_PATH 502
#define IDS_KEY_MATTINGS_PATH 503
#define IDS_KEY_FONT_NAME 505
#define IDS_KEY_FONT_BOLD 506
#define IDS_KEY_FONT_ITALIC 507
#define IDS_KEY_FONT_SIZE 508
#define IDS_KEY_FONT_COLOR 509
#define IDS_KEY_MONITOR 510
#define IDS_KEY_USER_SAYING 511
#define IDS_KEY_ENGLISH 513
#define IDS_KEY_SPANISH 514
#define IDS_KEY_EFFECTS 515
#define IDS_KEY_DEFAULT_POWER_PLAN 516
#define IDS_KEY_MATTING 517
#define IDS_KEY_SAVER_SAYING 520
#define IDS_KEY_STITCH_MODE 522

/* Start-up and command-line texts */
#define IDS_ARG_NOT_VALID 30001
#define IDS_ARG_CONFIGURE_HANDLE 30002
#define IDS_ARG_PREVIEW_HANDLE 30003
#define IDS_NOTIFICATION 30004
#define IDS_DPI_AWARENESS_FAILED 30005
#define IDS_DPI_NOT_PER_MONITOR 30006
#define IDS_DPI_FOR_MONITOR_FAILED 30007
#define IDS_GDIPLUS_FAILED 30008
#define IDS_OTHER_EXCEPTION 30009
#define IDS_RESTORE_PLAN_FAILED 30010
#define IDS_TOO_MANY_PICTURES 30011

/* Cleanup: its summary and the default phrases it writes back */
#define IDS_CLEANUP_SUMMARY 30012
#define IDS_DEFAULT_PHRASE1 30013
#define IDS_DEFAULT_PHRASE2 30014
#define IDS_DEFAULT_SAVER_PHRASE 30015

/* Failure codes 10000 to 10084 and questions 20000 to 20008 are string ids
   too; their names live in core/ErrorCodes.h. */

#endif
