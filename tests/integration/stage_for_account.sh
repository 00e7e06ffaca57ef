# Sourced by the integration helpers. An unprivileged test account cannot reach a build
# inside a folder only its owner can enter (a checkout under /root, or any 0700 folder),
# so what it runs is copied out first.

# stage_for_account BUILD DEST: copies the programs, the bundles and the assembled view
# site beside them, laid out as the build lays them out (the programs find the bundles
# and the site from bin/), into DEST,
# readable by everyone. DEST lies in the test's own work folder (made enterable by the
# caller), which the test removes when it ends.
stage_for_account() {
  local build=$1 dest=$2 program bundle
  mkdir -p "$dest/bin"
  for program in $TAVELO_PROGRAM_NAME $TAVELO_HOST_PROGRAM_NAME $TAVELO_HOST_PROGRAM_NAME-host \
    $TAVELO_SITE_PROGRAM_NAME; do
    [[ -x "$build/bin/$program" ]] || { echo "FAIL: $build/bin/$program is not built" >&2; exit 1; }
    cp "$build/bin/$program" "$dest/bin/"
  done
  for bundle in "$TAVELO_APP_BUNDLE_NAME" "$TAVELO_SAVER_BUNDLE_NAME"; do
    cp -R "$build/$bundle" "$dest/"
  done
  cp -R "$build/site" "$dest/"
  # The tests' own little X clients, which the account runs too.
  for program in "$build"/bin/tavelo-test-*; do
    [[ -x "$program" ]] && cp "$program" "$dest/bin/"
  done
  chmod -R a+rX "$dest"
}

# add_test_account NAME [useradd options...]: creates the unprivileged system account
# NAME unless it exists. Tests run side by side, and useradd refuses to run while
# another holds the account files' lock, so creations take turns.
add_test_account() {
  local name=$1
  shift
  (
    flock 9
    id -u "$name" >/dev/null 2>&1 ||
      useradd --system --no-create-home --shell /usr/sbin/nologin "$@" "$name"
  ) 9>/run/tavelo-test-accounts.lock
}
