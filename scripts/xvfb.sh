# Sourced: starts a private Xvfb screen unless one is wanted from outside, and exports
# DISPLAY. quillet_stop_xvfb ends it again.
# Xvfb picks a free display number itself (-displayfd) and writes it to a file, so that
# a number held by an X server that left no lock file here (another container sharing the
# network namespace, say) is never chosen; what Xvfb says goes to a log shown on failure.
quillet_start_xvfb() {
  QUILLET_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && [ -z "${QUILLET_FORCE_XVFB:-}" ]; then return; fi
  local dir n=""
  dir="$(mktemp -d)"
  # Made here: the background job opens it only once it runs, maybe after the first read.
  : >"$dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/log" 2>&1 &
  QUILLET_XVFB_PID=$!
  for _ in $(seq 100); do
    n="$(tr -dc 0-9 <"$dir/display")"
    [ -n "$n" ] && break
    kill -0 "$QUILLET_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$n" ]; then
    echo "Xvfb did not start:" >&2
    sed 's/^/  /' "$dir/log" >&2
    rm -rf "$dir"
    kill "$QUILLET_XVFB_PID" 2>/dev/null || true
    QUILLET_XVFB_PID=""
    return 1
  fi
  rm -rf "$dir"
  export DISPLAY=":$n"
}
quillet_stop_xvfb() {
  [ -n "${QUILLET_XVFB_PID:-}" ] && kill "$QUILLET_XVFB_PID" 2>/dev/null || true
}
