#!/usr/bin/env bash
# Runs inside the Debian 13 chroot that tools/debian13/run.sh makes, as root
# on a bare system: the README's main job, which installs what building needs
# (tools/setup.sh), then the Linux suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
echo "debian13: $(. /etc/os-release && echo "$PRETTY_NAME") $(cat /etc/debian_version), in a chroot"
bash tools/main.sh
echo "debian13: the main job passed; now the Linux suite"
bash tools/linux-suite.sh
echo "debian13: the main job and the Linux suite passed on Debian $(cat /etc/debian_version)"
