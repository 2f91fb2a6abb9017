# Installs the Debian packages that building, testing and running the cabinet need.
# Sourced by test.sh and play.sh; runs apt-get only when something is missing.

BRINDLEMARK_PACKAGES=(
  build-essential cmake ninja-build pkg-config git clang-format ccache
  libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libmad0-dev libmp3lame-dev lame
  libcairo2-dev libfreetype-dev fonts-dejavu-core libpng-dev libpixman-1-dev
  imagemagick ffmpeg mpg123 sox xvfb xauth x11-apps xdotool systemd
  nlohmann-json3-dev
  libmosquitto-dev libpq-dev mosquitto mosquitto-clients postgresql openssl
  iso-codes tzdata units
  libcpp-httplib-dev libsodium-dev chromium
  clang libclang-rt-14-dev
)

brindlemark_install_packages() {
  local missing=()
  local pkg
  for pkg in "${BRINDLEMARK_PACKAGES[@]}"; do
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
