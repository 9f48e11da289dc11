#!/usr/bin/env bash
# Where DefWin 1 opens the analog clock beside the real bar without a window manager: CHILD Left defaults
# to the screen's left edge (pulled into 0 .. width - 100), CHILD Top to under the bar, or above
# it when the bar is in the lower half; a saved Top is used as stored unless it would put the
# clock off the screen. The bar's own place stays saved (see placement_cases in clock_lib.sh).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/clock_lib.sh"

placement_cases "no window manager"

[ "$failures" -eq 0 ] || dump_log
finish
