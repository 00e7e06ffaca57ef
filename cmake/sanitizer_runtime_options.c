/* Linked into the two GTK programs of a sanitized build only (TAVELO_SANITIZE).
 *
 * GTK, GLib, fontconfig and WebKitGTK keep caches and type data for the life of the
 * process and leave them to the operating system at exit; LeakSanitizer would report
 * them on every run and fail it. The unit tests, whose code is all ours, keep leak
 * checking. The option is compiled in because the integration tests also run these
 * programs as other accounts with a cleared environment, where ASAN_OPTIONS would not
 * reach them. */
const char* __asan_default_options(void);
const char* __asan_default_options(void) { return "detect_leaks=0"; }
