#!/usr/bin/env bash
# The analog clock docked to the real bar without a window manager: real drags of the bar snap it to the
# edges and carry the docked clock; a clock dragged 30 px away stays behind and clicks back
# within 14 px; the tray and a stay-on-top switch keep it following; skin.ini holds both places
# 2 s after a move, and SIGTERM writes CHILD Index 2 with the clock's place (see dock_cases in
# clock_lib.sh).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/clock_lib.sh"
unset DBUS_SESSION_BUS_ADDRESS # the tray icon goes to the XEmbed tray that trayer hosts

dock_cases "no window manager"

[ "$failures" -eq 0 ] || dump_log
finish
