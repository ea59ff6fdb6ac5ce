# shellcheck shell=bash
# Sourced by the scripts that start Wine.

# Wine maps file names through the Unix locale: under a locale that is not
# UTF-8 (LANG unset, as in container images and minimal installs) it cannot
# create Japanese or accented paths. A UTF-8 locale the caller has is kept;
# otherwise C.UTF-8, which every Debian 12 system has, takes its place.
use_utf8_locale() {
  local charmap
  charmap=$(locale charmap 2>/dev/null) || charmap=
  if [[ "$charmap" != UTF-8 ]]; then
    export LANG=C.UTF-8
    unset LC_ALL LC_CTYPE
  fi
}
