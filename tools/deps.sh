#!/usr/bin/env bash
# Installs what building and running needs, when it is missing.
# Sourced by run.sh and test.sh.
TOVRIN_PACKAGES=(
  cmake ninja-build g++ libgtest-dev libedit-dev clang-format
  qt6-base-dev qt6-qpa-plugins libpulse-dev
  libgl-dev libglx-dev libopengl-dev libegl-dev
  hunspell-ru python3
  libxcb1-dev qt6-translations-l10n fonts-urw-base35
  xvfb openbox xdotool x11-utils
  pulseaudio pulseaudio-utils
)
# Only the screenshots need these.
TOVRIN_SCREENSHOT_PACKAGES=(imagemagick)

tovrin_missing_packages() {
  local missing=()
  local p
  for p in "${TOVRIN_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] || printf '%s\n' "${missing[@]}"
}

# Extra package names may be given to install with the common ones.
tovrin_install_deps() {
  local missing
  mapfile -t missing < <(tovrin_missing_packages "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; install them as root and run again:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
