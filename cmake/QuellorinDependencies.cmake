# Every outside library the project links, found once here.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(simdjson REQUIRED)
find_package(GTest REQUIRED)
find_package(CLI11 REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
pkg_check_modules(CMARK REQUIRED IMPORTED_TARGET libcmark)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
if(QUELLORIN_BENCH AND NOT QUELLORIN_SANITIZE)
  find_package(benchmark REQUIRED)
endif()
find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)

# The Linux desktop: X11 with XInput2, XTest and XRandR; GTK 3 for the clipboard; AT-SPI 2 for
# other applications' text; libnotify for notifications; WebKitGTK for the windows' pages.
pkg_check_modules(LINUX_DESKTOP REQUIRED IMPORTED_TARGET x11 xi xtst xrandr gtk+-3.0 atspi-2 libnotify gio-2.0
  webkit2gtk-4.1)
# The status item (StatusNotifierItem) and the video player.
pkg_check_modules(LINUX_SHELL REQUIRED IMPORTED_TARGET ayatana-appindicator3-0.1 gstreamer-1.0)
