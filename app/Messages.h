// The main window's own messages and timers. On Qt a posted message is a queued
// invocation of the handler of the same name; a sent one is a direct call.
#pragma once

namespace lum {

enum LumMessage : int {
    WM_PLAYER_ERROR = 0x0C01,
    WM_LANGUAGE_CHANGED = 0x0C02,
    WM_RESERVED_C03 = 0x0C03,
    WM_TOGGLE_FULLSCREEN = 0x0C04,
    WM_SHOW_CONTROLS = 0x0C05,
    WM_PLAY_STATE = 0x0C06,
    WM_PLAY_TIME = 0x0C07,
    WM_END_REACHED = 0x0C08,
    WM_PLAY_GROUP = 0x0C09,
    WM_PLAY_ITEM = 0x0C0A,
    WM_MAP_KIND_CHANGED = 0x0C0B,
    WM_VOLUME_CHANGED = 0x0C0C,
    WM_SEEK_MOVED = 0x0C0D,
    WM_SORT_LIST = 0x0C0E,
};

enum LumTimer : int {
    TIMER_SHIFT_NUDGE = 100,
    TIMER_OVERLAY = 102,
    TIMER_SEEK = 103,
    TIMER_DEFERRED_PLAY = 105,
    TIMER_SWITCH_TIMEOUT = 106,
};

// Control ids of the main window, by which tooltips, layout and tests name controls.
enum ControlId : int {
    IDC_OPEN = 1001,
    IDC_VIDEO = 1002,
    IDC_GSENSOR = 1003,
    IDC_MAP_PLACE = 1004,
    IDC_SAVE = 1005,
    IDC_SNAP = 1006,
    IDC_VIDEO_BG = 1007,
    IDC_SEEK = 1008,
    IDC_GPS_ICON = 1010,
    IDC_DEL = 1013,
    IDC_CONF = 1014,
    IDC_PLAY = 1015,
    IDC_STOP = 1016,
    IDC_FAST = 1017,
    IDC_SLOW = 1018,
    IDC_VOLUME = 1019,
    IDC_PREV = 1020,
    IDC_LOOP = 1021,
    IDC_FLIP = 1022,
    IDC_KML = 1023,
    IDC_MAP = 1024,
    IDC_GSR = 1025,
    IDC_LOCK = 1026,
    IDC_FILE_LIST = 1027,
    IDC_GROUP_LIST = 1028,
    IDC_NEXT = 1029,
    IDC_FULL = 1030,
    IDC_MINIMISE = 1044,
    IDC_CLOSE = 1045,
    IDC_VOL = 1046,
    IDC_LOGO = 1050,
    IDC_SIZE_S = 1052,
    IDC_COMPASS = 1055,
    IDC_SPEED = 1056,
    IDC_SIZE_M = 1059,
    IDC_SIZE_L = 1060,
    IDC_STATUS_BOARD = 1061,
    IDC_BANNER = 1064,
    IDC_VOLUME_EDIT = 1066,
    IDC_NOTICE = 1069,
    IDC_TIME_TEXT = 1071,
    IDC_VALUE_1 = 1072,
    IDC_VALUE_2 = 1073,
    IDC_VALUE_3 = 1074,
    IDC_MAXIMISE = 4,
    IDC_ABOUT = 57670,
};

}  // namespace lum
