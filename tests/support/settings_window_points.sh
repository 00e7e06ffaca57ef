# Where the settings window's controls lie, in window coordinates, for the tests and
# benchmarks that click them: the one place that knows the window's layout.
# The grid of 240x200 cards, 16 apart, centred across the 560-wide window below the
# heading; the checkbox and the footer's link near the bottom edge.
SETTINGS_GRID_LEFT=32
SETTINGS_GRID_TOP=59
SETTINGS_CARD_WIDTH=240
SETTINGS_CARD_HEIGHT=200
SETTINGS_CARD_GAP=16
SETTINGS_GRID_COLUMNS=2

# "x y": the middle of card N (from 0, in catalogue order).
settings_card_point() {
  local column=$(($1 % SETTINGS_GRID_COLUMNS)) row=$(($1 / SETTINGS_GRID_COLUMNS))
  echo "$((SETTINGS_GRID_LEFT + column * (SETTINGS_CARD_WIDTH + SETTINGS_CARD_GAP) + SETTINGS_CARD_WIDTH / 2))" \
    "$((SETTINGS_GRID_TOP + row * (SETTINGS_CARD_HEIGHT + SETTINGS_CARD_GAP) + SETTINGS_CARD_HEIGHT / 2))"
}
SETTINGS_CHECKBOX_POINT="36 517"
SETTINGS_LINK_POINT="220 536"
