/* Resource numbers of the skin pictures and the program icon (shared by the .rc file and the C++ code). */
#ifndef TRRADIO_ASSETS_RESOURCE_IDS_H
#define TRRADIO_ASSETS_RESOURCE_IDS_H

#define IDI_PROGRAM 1

#define IDG_TOP_PANEL 101
#define IDG_LOWER_PANEL 102
#define IDG_ABOUT 103
#define IDG_LOGO 104

#define IDG_MIN_NORMAL 110
#define IDG_MIN_HOT 111
#define IDG_PIN_NORMAL 112
#define IDG_PIN_HOT 113
#define IDG_CLOSE_NORMAL 114
#define IDG_CLOSE_HOT 115
#define IDG_PLAY_NORMAL 116
#define IDG_PLAY_HOT 117
#define IDG_LIST_NORMAL 118
#define IDG_LIST_HOT 119
#define IDG_MUSIC_NORMAL 120
#define IDG_MUSIC_HOT 121
#define IDG_SPEAKER_NORMAL 122
#define IDG_SPEAKER_HOT 123

#define IDB_SLIDER_RAIL 130
#define IDB_SLIDER_FILL 131
#define IDB_SLIDER_FILL_HOT 132
#define IDB_SLIDER_THUMB 133

#endif
