#!/usr/bin/env bash
# The daemon in real compositors, as its users run it: headless sway (the
# kwin idle protocol, wtype for a key), headless mutter in a session bus of
# its own (GNOME's idle monitor, ResetIdletime for the user's return) and
# Xvfb (the X server's idle time, xdotool for a key).
#
# In each, "vantora --daemon --wait 3 --verbose" must start a show about 3 s
# after the last input, with pictures on the screen (sway and Xvfb: a
# screenshot that is not black), end it within 1 s of input, start it again
# after the next 3 s, refuse a second daemon at once with status 0, and end
# with its show within 1 s of SIGTERM. It prints what it measured.
#
#   daemon-trials.sh PROGRAM [x11|sway|mutter]...   (default: all three)
#
# The compositors refuse root: run as root, it copies the program and its
# pictures where any user can read them and runs as the user vantora-test
# (scripts/setup makes it). A compositor that cannot start fails the trial
# with the reason; nothing is skipped.
set -u

# --inner: already the ordinary user; --in-bus: inside the session bus that
# dbus-run-session made for mutter.
inner=0
in_bus=0
case ${1:-} in
  --inner) inner=1 && shift ;;
  --in-bus) inner=1 && in_bus=1 && shift ;;
esac
program=$1
shift
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(x11 sway mutter)

if [ $inner -eq 0 ] && [ "$(id -u)" -eq 0 ]; then
  user=vantora-test
  if ! id -u "$user" >/dev/null 2>&1; then
    echo "FAIL: no user $user to run the compositors as (scripts/setup makes it)"
    exit 1
  fi
  copy=$(mktemp -d /tmp/vantora-trials-XXXXXX)
  chmod 755 "$copy"
  cp "$program" "$copy/vantora"
  cp -r "$(dirname "$program")/pics" "$copy/pics"
  chmod -R a+rX "$copy"
  runuser -u "$user" -- env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 \
    bash "$0" --inner "$copy/vantora" "${kinds[@]}"
  status=$?
  rm -rf "$copy"
  exit $status
fi

# One private runtime and home folder for this run.
if [ -z "${TRIAL_ROOT:-}" ]; then
  TRIAL_ROOT=$(mktemp -d /tmp/vantora-trial-XXXXXX)
  export TRIAL_ROOT
  trap 'rm -rf "$TRIAL_ROOT"' EXIT
fi
export XDG_RUNTIME_DIR=$TRIAL_ROOT HOME=$TRIAL_ROOT/home
mkdir -p "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_ID QT_QPA_PLATFORM
[ $in_bus -eq 1 ] || unset DBUS_SESSION_BUS_ADDRESS
failures=0

now_ms() { echo $(($(date +%s%N) / 1000000)); }
fail() {
  echo "FAIL: $kind: $*"
  failures=$((failures + 1))
}
# Waits up to $2 ms for the command $1 to succeed.
wait_for() {
  local deadline=$(($(now_ms) + $2))
  while [ "$(now_ms)" -lt $deadline ]; do
    eval "$1" && return 0
    sleep 0.02
  done
  return 1
}
lines() { grep -c "^$1" "$log" 2>/dev/null; }
show_pid() { pgrep -P "$daemon" -x vantora 2>/dev/null; }
not_black() { [ "$(convert "$1" -format '%[fx:mean>0.02]' info: 2>/dev/null)" = 1 ]; }

# The trial proper, once the compositor runs: $input gives input,
# $screenshot FILE takes one (empty: none can be taken here).
trial() {
  log=$TRIAL_ROOT/$kind-daemon.log
  eval "$input"
  local t0
  t0=$(now_ms)
  "$program" --daemon --wait 3 --verbose 2>"$log" &
  daemon=$!
  if ! wait_for '[ "$(lines "show started")" -ge 1 ]' 8000; then
    fail "no show within 8 s; daemon said: $(grep -v -E 'ALSA|AL lib|Pulse|qt.multimedia' "$log" | head -5)"
    kill "$daemon" 2>/dev/null
    wait "$daemon" 2>/dev/null
    return
  fi
  local idle_to_show=$(($(now_ms) - t0))
  grep -q "^idle source: $source_name" "$log" || fail "idle source: $(grep '^idle source: ' "$log")"
  [ $idle_to_show -ge 2900 ] || fail "show after $idle_to_show ms, before the wait was up"
  if [ -n "$screenshot" ]; then
    sleep 2  # the first transition
    local shot=$TRIAL_ROOT/$kind.png
    eval "$screenshot $shot" || fail "no screenshot"
    not_black "$shot" || fail "the screenshot is black"
  fi

  # A second daemon ends at once, with status 0 and a line.
  local second
  second=$(timeout 5 "$program" --daemon --wait 3 2>&1)
  local second_status=$?
  [ $second_status -eq 0 ] || fail "second daemon: status $second_status"
  [[ "$second" == *"already runs"* ]] || fail "second daemon said: $second"

  local shown
  shown=$(show_pid)
  [ -n "$shown" ] || fail "the show is not the daemon's child"
  local t1
  t1=$(now_ms)
  eval "$input"
  wait_for '! kill -0 '"${shown:-0}"' 2>/dev/null' 3000 || fail "the show outlived the input by 3 s"
  local key_to_gone=$(($(now_ms) - t1))
  [ $key_to_gone -le 1000 ] || fail "show gone $key_to_gone ms after the input"
  wait_for '[ "$(lines "show ended: ")" -ge 1 ]' 1000 || fail "no 'show ended' line"

  t1=$(now_ms)
  wait_for '[ "$(lines "show started")" -ge 2 ]' 8000 || fail "no second show"
  local again=$(($(now_ms) - t1))

  shown=$(show_pid)
  local t2
  t2=$(now_ms)
  kill -TERM "$daemon"
  wait_for '! kill -0 '"$daemon"' 2>/dev/null && ! kill -0 '"${shown:-0}"' 2>/dev/null' 3000
  local term_to_gone=$(($(now_ms) - t2))
  wait "$daemon"
  local status=$?
  [ $term_to_gone -le 1000 ] || fail "daemon and show gone $term_to_gone ms after SIGTERM"
  [ $status -eq 0 ] || fail "daemon status $status after SIGTERM"
  grep -q '^show ended: signal' "$log" || fail "no 'show ended: signal' line"
  echo "$kind ($source_name): idle-to-show ${idle_to_show} ms, input-to-gone ${key_to_gone} ms," \
    "next show after ${again} ms, SIGTERM-to-gone ${term_to_gone} ms; log:"
  grep -E '^(idle source|show|waiting|no show)' "$log" | sed 's/^/  /'
}

trial_x11() {
  local fds
  exec {fds}< <(
    Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x720x24 2>/dev/null &
    echo "pid $!"
    wait
  )
  local first number
  read -r -t 10 first <&$fds
  read -r -t 10 number <&$fds
  server=${first#pid }
  if [ -z "$number" ]; then
    fail "Xvfb did not start"
    return
  fi
  export DISPLAY=:$number
  source_name=MIT-SCREEN-SAVER
  input="xdotool key a"
  screenshot="import -window root"
  trial
  kill "$server" 2>/dev/null
  unset DISPLAY
}

trial_sway() {
  printf 'output HEADLESS-1 resolution 1280x720 position 0 0\noutput HEADLESS-2 resolution 1280x720 position 1280 0\n' \
    >"$TRIAL_ROOT/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 \
    sway -c "$TRIAL_ROOT/sway.conf" >"$TRIAL_ROOT/sway.log" 2>&1 &
  server=$!
  local socket=""
  wait_for 'socket=$(ls "$XDG_RUNTIME_DIR" | grep -E "^wayland-[0-9]+$" | head -1); [ -n "$socket" ]' 10000
  if [ -z "$socket" ] || ! kill -0 $server 2>/dev/null; then
    fail "sway did not start: $(tail -3 "$TRIAL_ROOT/sway.log")"
    return
  fi
  export WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland
  source_name=org_kde_kwin_idle
  input="wtype a"
  screenshot="grim -o HEADLESS-1"
  trial
  kill $server 2>/dev/null
  wait $server 2>/dev/null
  unset WAYLAND_DISPLAY XDG_SESSION_TYPE
}

# Inside dbus-run-session: mutter's idle monitor lives on that bus.
trial_mutter_inner() {
  MUTTER_DEBUG_RESET_IDLETIME=1 mutter --wayland --headless --no-x11 --wayland-display vantora-trial \
    --virtual-monitor 1280x720 >"$TRIAL_ROOT/mutter.log" 2>&1 &
  server=$!
  local ready="gdbus introspect --session --dest org.gnome.Mutter.IdleMonitor --object-path /org/gnome/Mutter/IdleMonitor/Core >/dev/null 2>&1"
  if ! wait_for "$ready" 15000; then
    fail "mutter did not start: $(tail -3 "$TRIAL_ROOT/mutter.log")"
    kill $server 2>/dev/null
    return
  fi
  export WAYLAND_DISPLAY=vantora-trial XDG_SESSION_TYPE=wayland
  source_name=org.gnome.Mutter.IdleMonitor
  input="gdbus call --session --dest org.gnome.Mutter.IdleMonitor --object-path /org/gnome/Mutter/IdleMonitor/Core --method org.gnome.Mutter.IdleMonitor.ResetIdletime >/dev/null"
  # Mutter offers no screenshot to a plain client; the show's start and end
  # are checked, its pictures are not.
  screenshot=""
  trial
  kill $server 2>/dev/null
  wait $server 2>/dev/null
}

for kind in "${kinds[@]}"; do
  case $kind in
    x11 | sway) "trial_$kind" ;;
    mutter)
      if [ $in_bus -eq 1 ]; then
        trial_mutter_inner
      elif ! command -v dbus-run-session >/dev/null; then
        fail "dbus-run-session is missing"
      else
        dbus-run-session -- bash "$0" --in-bus "$program" mutter || failures=$((failures + 1))
      fi
      ;;
    *) fail "unknown trial" ;;
  esac
done
[ $failures -eq 0 ]
