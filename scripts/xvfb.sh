# Sourced: starts a private Xvfb screen unless one is wanted from outside, and exports
# DISPLAY. quillet_stop_xvfb ends it again.
quillet_start_xvfb() {
  QUILLET_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && [ -z "${QUILLET_FORCE_XVFB:-}" ]; then return; fi
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  QUILLET_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return; sleep 0.1; done
  echo "Xvfb did not start" >&2; return 1
}
quillet_stop_xvfb() {
  [ -n "${QUILLET_XVFB_PID:-}" ] && kill "$QUILLET_XVFB_PID" 2>/dev/null || true
}
