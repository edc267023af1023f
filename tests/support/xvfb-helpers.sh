# Shell helpers of the tests that run the program on an Xvfb screen (see
# runUnderXvfb). Conditions, never fixed sleeps: on a loaded machine each
# step may take seconds. A condition not met names itself on standard output,
# which the tests print when they fail.
poll() {
  end=$(($(date +%s) + 90))
  until eval "$1"; do
    [ "$(date +%s)" -lt "$end" ] || { echo "not met in 90 s: $2"; return 1; }
    sleep 0.02
  done
}
log=$(mktemp); trap 'rm -f "$log"' EXIT
show() {
  "$@" >"$log" 2>&1 & pid=$!
  poll 'w=$(xdotool search --onlyvisible --name "^dravin$" 2>/dev/null | head -1); [ -n "$w" ]' \
    "the window of $1 is shown"
}
start() {
  show "$@" && poll 'grep -qx /awakeFromNib "$log"' "$1 has woken (/awakeFromNib)"
}
ended() {
  poll '! kill -0 $pid 2>/dev/null' "the program has ended" || kill -KILL $pid 2>/dev/null
  wait $pid; echo "exit=$?"
}
rates() { grep -c drawFPS "$log"; }
drawn() {
  awk -v skip="${1:-0}" -F'drawFPS: ' 'NF > 1 && ++k > skip { split($2, n, ","); s += n[1] }
    END { print s + 0 }' "$log"
}
# Starts IceWM, a window manager with a taskbar, and waits until the taskbar
# is shown; stopwm ends it.
wm() {
  icewm >/dev/null 2>&1 & wmpid=$!
  poll 'xdotool search --onlyvisible --class "^TaskBar$" >/dev/null 2>&1' 'the taskbar of IceWM is shown'
}
stopwm() { kill $wmpid 2>/dev/null; wait $wmpid 2>/dev/null; }
