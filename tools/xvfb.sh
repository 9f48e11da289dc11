# Sourced by the end-to-end scripts and the tools that need a virtual display.
# start_xvfb [SCREEN]: starts a private Xvfb (default screen 1280x768x24) on a display number
# the server picks and locks itself, waits until it takes connections (up to 30 s: a loaded
# machine can take long to start one), and exports DISPLAY; XVFB_PID is the server. Without a
# server the clock's toolkit aborts on its first start, so a server that never comes up fails
# here, with a message, instead of there.
start_xvfb() {
  local numfile num=""
  numfile=$(mktemp)
  Xvfb -displayfd 9 -screen 0 "${1:-1280x768x24}" -nolisten tcp 9>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 300); do
    num=$(tr -dc 0-9 <"$numfile")
    if [ -n "$num" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$num" ]; then
    echo "Xvfb did not start within 30 s" >&2
    return 1
  fi
  export DISPLAY=":$num"
}
