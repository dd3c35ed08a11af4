# Sourced by the Wayland and package checks: a private headless weston, and an
# unattended round of a demo folder on it, started as a user starts the program on a
# Wayland display: WAYLAND_DISPLAY set, QT_QPA_PLATFORM and DISPLAY unset, so that Qt
# picks its platform itself.

# start_weston WORK: weston's headless back end on a private socket in a private
# XDG_RUNTIME_DIR under WORK, with a 1600 x 1000 output. Sets and exports
# XDG_RUNTIME_DIR, sets WESTON_SOCKET and WESTON_PID (stop it with stop_weston).
# Prints what is wrong and returns 1, or returns 0.
start_weston() {
  local work=$1
  export XDG_RUNTIME_DIR=$work/run
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  WESTON_SOCKET=tidemark-test-$$
  timeout 900 weston --backend=headless-backend.so --socket="$WESTON_SOCKET" --idle-time=0 --width=1600 \
    --height=1000 >"$work/weston.log" 2>&1 &
  WESTON_PID=$!
  for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$WESTON_SOCKET" ] && return 0
    kill -0 "$WESTON_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "weston did not start: $(tail -n 5 "$work/weston.log")" >&2
  return 1
}

stop_weston() {
  if [ -n "${WESTON_PID:-}" ]; then
    kill "$WESTON_PID" 2>/dev/null
    wait "$WESTON_PID" 2>/dev/null
    WESTON_PID=
  fi
}

# wayland_round TIDEMARK FOLDER WORK: a round of FOLDER on the running weston; checks
# that it ended with 0, wrote every published page, took Qt's Wayland platform plug-in
# (and no other platform), and that its images have the size of a window maximised on
# the compositor's output (an offscreen run's would be 1920 x 1080).
# Prints what is wrong and returns 1, or returns 0.
wayland_round() {
  local program=$1 folder=$2 work=$3 status=0
  env -u DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE WAYLAND_DISPLAY="$WESTON_SOCKET" LD_DEBUG=files \
    timeout 300 "$program" 1 --folder "$folder" >"$work/wayland-round.out" 2>"$work/wayland-round.err" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "the round on Wayland ended with $status: $(grep -v '^ *[0-9]*:' "$work/wayland-round.err" | tail -n 5)" >&2
    return 1
  fi
  check_demo_round "$folder" "$work/wayland-round.out" || return 1
  local plugins
  plugins=$(sed -n 's|.*file=\([^ ]*/platforms/lib[^ ]*\.so\) .*dynamically loaded.*|\1|p' "$work/wayland-round.err" |
    sort -u)
  if ! grep -q '/libqwayland-[a-z]*\.so$' <<<"$plugins" || grep -v '/libqwayland-[a-z]*\.so$' <<<"$plugins" | grep -q .; then
    echo "the round took the platform plug-in(s) '$(tr '\n' ' ' <<<"$plugins")', not Qt's Wayland plug-in alone" >&2
    return 1
  fi
  local sizes width height
  sizes=$(file -b "$folder"/Tidemark_window[0-9]*.png | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p' | sort -u)
  if [ "$(wc -l <<<"$sizes")" -ne 1 ]; then
    echo "the images are of different sizes: $sizes" >&2
    return 1
  fi
  read -r width height <<<"$sizes"
  if ! { [ "$width" -gt 1500 ] && [ "$width" -le 1600 ] && [ "$height" -gt 850 ] && [ "$height" -le 1000 ]; }; then
    echo "the images are $width x $height, not a window maximised on the compositor's 1600 x 1000 output" >&2
    return 1
  fi
  echo "a round on Wayland wrote every image ($width x $height) with $(basename "$(head -n 1 <<<"$plugins")")"
}
