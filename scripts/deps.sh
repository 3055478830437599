#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing (Qt Linguist
# tools: the translations; Qt's own translations: its dialogs' buttons in the user's language)
# (dpkg-dev and file: dpkg-shlibdeps, with which `cpack -G DEB` finds the packages' dependencies).
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev libpugixml-dev libzip-dev zlib1g-dev zipcmp zipmerge ziptool
          libxml2-utils libxml2-dev xvfb xauth locales dpkg-dev file clang libclang-rt-14-dev
          libxlsxwriter-dev fonts-dejavu-core poppler-utils ccache
          qt6-tools-dev qt6-l10n-tools qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The viewpoint number tests run under a German locale (decimal comma), as a Qt application may.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "Generating the de_DE.UTF-8 locale"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
fi
