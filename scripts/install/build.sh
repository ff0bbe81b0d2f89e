#!/usr/bin/env bash
# What building the library and the vomtrail command needs, and nothing
# more: the compiler, CMake, Ninja and the command's header-only libraries.
# The demo and the README's library steps need only this.
set -euo pipefail
source "$(dirname "$0")/../lib/apt.sh"
vt_apt_install build-essential cmake ninja-build pkg-config libcli11-dev nlohmann-json3-dev
