#!/usr/bin/env bash
# Prints the folder that holds Qt for the mingw-w64 target (see qt-mingw.sh).
echo "${QT_MINGW_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/pc-vigilor/qt6.4.2-mingw-w64-x86_64}"
