# Sourced by the scripts that need an X display of their own (Xvfb):
#   start_private_display    starts Xvfb on the first free display from :97
#                            up and exports DISPLAY; XVFB_PID is its process
#   stop_private_display     stops it
# A display is free when it has neither a lock file (/tmp/.X<N>-lock) nor a
# socket; one taken by another program between the look and the start is
# passed over (the server is ours once the lock file holds its pid).
start_private_display() {
  local n
  for ((n = 97; n < 1000; ++n)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries
    for ((tries = 0; tries < 100; ++tries)); do
      if [[ -S /tmp/.X11-unix/X$n && "$(tr -d ' \n' </tmp/.X$n-lock 2>/dev/null)" == "$XVFB_PID" ]]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    stop_private_display
  done
  echo "no free X display from :97 up" >&2
  return 1
}

stop_private_display() {
  if [[ -n "${XVFB_PID:-}" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
