# Sourced: configures (once) and builds into BUILD_DIR (default build).
BUILD_DIR=${PARCELON_BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake --preset mingw -B "$BUILD_DIR" >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
