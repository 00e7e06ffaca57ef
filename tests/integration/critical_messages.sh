# Sourced by the integration helpers: a GTK or GLib CRITICAL from one of our programs
# is a fault (a failed precondition inside GTK), even when the test saw nothing wrong.

# critical_messages FOLDER: prints the CRITICAL lines our programs wrote into the log
# files at the top of FOLDER. GLib writes them as "(program:pid): Domain-CRITICAL **: …";
# our programs (the application, the screen saver's host, the view site) set their
# program names, so other programs' lines are not counted.
critical_messages() {
  local folder=$1
  find "$folder" -maxdepth 1 -type f -print0 2>/dev/null |
    xargs -0 -r grep -sIHE "\\(($TAVELO_PROGRAM_NAME|$TAVELO_HOST_PROGRAM_NAME|$TAVELO_SITE_PROGRAM_NAME):[0-9]+\\): [A-Za-z-]*CRITICAL \\*\\*" ||
    true
}

# GTK's own tray icon, which the tray menu falls back to where a panel only embeds
# icons the old XEmbed way (awesome's, fluxbox's and icewm's trays, i3bar, tint2),
# thaws its window once more than it froze it when the panel embeds it, and says so.
# The wallpaper's window is not involved (the same session without a tray prints
# nothing), and the icon works; tests with such a tray accept this one message.
XEMBED_TRAY_CRITICAL="gdk_window_thaw_toplevel_updates: assertion 'window->update_and_descendants_freeze_count > 0' failed"

# check_critical_messages FOLDER: fails (status 1, the lines on standard error) when
# there are any. A test whose environment alone causes one sets ACCEPTED_CRITICAL to an
# extended regular expression for it, with the reason beside it.
check_critical_messages() {
  local lines
  lines=$(critical_messages "$1")
  if [[ -n "${ACCEPTED_CRITICAL:-}" ]]; then
    lines=$(grep -vE -- "$ACCEPTED_CRITICAL" <<<"$lines" || true)
  fi
  [[ -z "$lines" ]] && return 0
  echo "FAIL: our programs printed GTK/GLib CRITICAL messages:" >&2
  echo "$lines" >&2
  return 1
}
