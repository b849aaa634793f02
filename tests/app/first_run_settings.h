// The settings file a first run of the program writes, byte for byte (Shift-JIS, CR LF).
#pragma once

inline constexpr char kFirstRunSettings[] =
    "[SETTINGS]\r\n"
    "BGI='背景.bmp'\r\n"
    "REV=0\r\n"
    "PWD=100\r\n"
    "TDS=200\r\n"
    "VDT=1\r\n"
    "TEXT='テキストを入力してください。'\r\n";
