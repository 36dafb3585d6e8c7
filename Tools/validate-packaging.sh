#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as distributions check them (offline).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
desktop-file-validate "$root/Packaging/io.bonzelar.Bonzelar.desktop"
appstreamcli validate --no-net "$root/Packaging/io.bonzelar.Bonzelar.metainfo.xml"
appstream-util validate-strict --nonet "$root/Packaging/io.bonzelar.Bonzelar.metainfo.xml"
