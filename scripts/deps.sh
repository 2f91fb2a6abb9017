# Installs the Debian packages that building, running and testing the cabinet need.
# Sourced by test.sh and play.sh; runs apt-get only when something is missing.

# Building and running the cabinet, the credit service and the asset and pack generators; the
# operator console's libraries too, since configuring the tree needs them.
BRINDLEMARK_PLAY_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsqlite3-dev libmad0-dev libmp3lame-dev nlohmann-json3-dev
  libcairo2-dev libfreetype-dev fonts-dejavu-core libpng-dev
  libcpp-httplib-dev libsodium-dev
)

# Only for the tests, the benchmarks, formatting, the package check and the fleet's programs
# (telemetry agent and collector, built when their libraries are there).
BRINDLEMARK_TEST_PACKAGES=(
  git clang-format ccache libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev sqlite3
  lame mpg123 sox ffmpeg imagemagick xvfb xauth x11-apps xdotool systemd
  matchbox-window-manager openbox x11-xserver-utils
  libmosquitto-dev libpq-dev mosquitto mosquitto-clients postgresql openssl
  iso-codes tzdata units
  chromium
  clang libclang-rt-14-dev
)

BRINDLEMARK_PACKAGES=("${BRINDLEMARK_PLAY_PACKAGES[@]}" "${BRINDLEMARK_TEST_PACKAGES[@]}")

# brindlemark_install_packages [PACKAGE...]: installs those missing (default: every package).
brindlemark_install_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${BRINDLEMARK_PACKAGES[@]}")
  local missing=()
  local pkg
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
