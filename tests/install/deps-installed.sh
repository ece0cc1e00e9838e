#!/usr/bin/env bash
# On a machine where every package of scripts/install-deps.sh is installed (as
# here, once the script has run), the script must finish without calling
# apt-get or sudo: a user without sudo rights can then build and run.
# Then, with dpkg's answers made up, which states of a package count as
# installed, and what the script does as root, as a user with sudo and as a
# user without it.
# Usage: deps-installed.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in sudo apt-get; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/called"\nexit 1\n' "$tool" "$work" > "$work/$tool"
  chmod +x "$work/$tool"
done

if ! PATH="$work:$PATH" bash "$src/scripts/install-deps.sh" > "$work/out" 2>&1; then
  echo "FAIL: install-deps.sh failed with every package installed:" >&2
  cat "$work/out" >&2
  exit 1
fi
if [ -e "$work/called" ]; then
  echo "FAIL: install-deps.sh called a package tool with every package installed:" >&2
  cat "$work/called" "$work/out" >&2
  exit 1
fi
echo "install-deps.sh: nothing to install, no package tool called"

# Made-up dpkg, apt-get, sudo and id in front of the system's tools: every
# package installed but xvfb, whose state is $XVFB_STATE (empty: dpkg does not
# know it).
fake=$work/fake
mkdir -p "$fake"
cat > "$fake/dpkg-query" <<'SH'
#!/bin/bash
# dpkg-query -W -f=FORMAT PACKAGE, with ${Status} ("want ok state") and
# ${db:Status-Status} ("state") in FORMAT; XVFB_STATE is "state" or "want:state".
format= package=
for a; do
  case $a in -f=* | --showformat=*) format=${a#*=} ;; -*) ;; *) package=$a ;; esac
done
state=installed want=install
if [ "$package" = xvfb ]; then
  [ -n "$XVFB_STATE" ] || exit 1
  state=${XVFB_STATE#*:}
  [ "$XVFB_STATE" != "$state" ] && want=${XVFB_STATE%%:*}
fi
format=${format//'${db:Status-Status}'/$state}
format=${format//'${Status}'/"$want ok $state"}
printf '%s' "$format"
SH
printf '#!/bin/sh\necho "$*" >> "%s/called"\n' "$work" > "$fake/apt-get"
printf '#!/bin/sh\n[ "$1" = -u ] && echo "$FAKE_UID"\n' > "$fake/id"
printf '#!/bin/sh\necho "sudo $*" >> "%s/called"\n' "$work" > "$fake/sudo"
chmod +x "$fake"/*

failures=0
# state | who (root, sudo, nosudo) | expected: "none", or the tools called
while IFS='|' read -r state who expected; do
  rm -f "$work/called"
  path=$fake:/usr/bin:/bin
  uid=1000
  [ "$who" = root ] && uid=0
  if [ "$who" = nosudo ] && [ ! -d "$work/nosudo" ]; then
    # The system's tools without sudo.
    mkdir -p "$work/nosudo"
    ln -s /usr/bin/* "$work/nosudo/"
    rm -f "$work/nosudo/sudo"
    ln -sf "$fake/dpkg-query" "$fake/apt-get" "$fake/id" "$work/nosudo/"
  fi
  [ "$who" = nosudo ] && path=$work/nosudo
  rc=0
  env -i PATH="$path" XVFB_STATE="$state" FAKE_UID="$uid" /bin/bash "$src/scripts/install-deps.sh" \
    > "$work/out" 2>&1 || rc=$?
  called=none
  [ -e "$work/called" ] && called=$(tr '\n' ';' < "$work/called")
  ok=0
  case $expected in
    none) [ "$rc" = 0 ] && [ "$called" = none ] && ok=1 ;;
    refused) [ "$rc" != 0 ] && [ "$called" = none ] && grep -q 'apt-get install xvfb' "$work/out" && ok=1 ;;
    *) [ "$rc" = 0 ] && [ "$called" = "$expected" ] && ok=1 ;;
  esac
  if [ "$ok" = 0 ]; then
    echo "FAIL: xvfb '$state' as $who: status $rc, called '$called', expected $expected" >&2
    sed 's/^/  /' "$work/out" >&2
    failures=$((failures + 1))
  fi
done <<'TABLE'
installed|sudo|none
hold:installed|sudo|none
triggers-pending|sudo|none
triggers-awaited|sudo|none
installed|nosudo|none
not-installed|root|update;install -y --no-install-recommends xvfb;
config-files|root|update;install -y --no-install-recommends xvfb;
half-configured|sudo|sudo apt-get update;sudo apt-get install -y --no-install-recommends xvfb;
unpacked|sudo|sudo apt-get update;sudo apt-get install -y --no-install-recommends xvfb;
|sudo|sudo apt-get update;sudo apt-get install -y --no-install-recommends xvfb;
not-installed|nosudo|refused
TABLE
[ "$failures" = 0 ] || exit 1
echo "install-deps.sh: package states read as dpkg gives them"
