#!/bin/sh
# Lays out the runtime image's whole tree in ROOT from the release build in BUILD: the program and the
# engine library with every shared library they load (found with ldd) and the loader, the copyright and
# licence file of every Debian package they come from, the guide, the sample game, the terminal
# descriptions of ncurses-base (the terminal face under "podman run -it"), the CA certificates (https
# server lists), the user dravo (10001, in group 0) and its empty /data, the group's to write. No shell:
# the program is the entry point and reads its DRAVO_* variables itself.
# Usage: stage-runtime.sh BUILD ROOT
set -eu
build=$1
root=$2

mkdir -p "$root/opt/dravoserv" "$root/etc/ssl/certs" "$root/tmp" "$root/data" "$root/usr/share/doc"
install -m 0755 -s "$build/bin/dravoserv" "$root/opt/dravoserv/dravoserv"
install -m 0644 -s "$build/bin/server.so" "$root/opt/dravoserv/server.so"
install -m 0644 DravoSrv.txt "$root/opt/dravoserv/DravoSrv.txt"
cp -R data "$root/opt/dravoserv/game"

# Every library either file needs, by the path the loader finds it under, and the loader itself; libcurl,
# which the program loads when it first makes an HTTP request (the fleet client, web registration), with
# everything it needs.
curl=$(/sbin/ldconfig -p | sed -n 's/.*libcurl\.so\.4 (libc6,x86-64) => \(.*\)$/\1/p' | head -n 1)
[ -n "$curl" ] || { echo "libcurl.so.4 is not installed" >&2; exit 1; }
libraries=$(ldd "$root/opt/dravoserv/dravoserv" "$root/opt/dravoserv/server.so" "$curl" |
    sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p; s/^[[:space:]]*\(\/[^ ]*\) .*/\1/p' | sort -u)
packages="ca-certificates ncurses-base"
for library in $libraries "$curl"; do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
    # The package that holds it, under the path dpkg knows (/lib and /usr/lib are one on Debian 12).
    real=$(readlink -f "$library")
    owner=$(dpkg -S "$real" 2>/dev/null || dpkg -S "/usr$real" 2>/dev/null || dpkg -S "${real#/usr}" 2>/dev/null) ||
        { echo "no package holds $library" >&2; exit 1; }
    packages="$packages ${owner%%:*}"
done
for package in $(printf '%s\n' $packages | sort -u); do
    [ -f "/usr/share/doc/$package/copyright" ] || { echo "$package has no copyright file" >&2; exit 1; }
    mkdir -p "$root/usr/share/doc/$package"
    install -m 0644 "/usr/share/doc/$package/copyright" "$root/usr/share/doc/$package/copyright"
done

# The terminal descriptions ncurses looks up (TERM=xterm, linux, screen, vt100 and the like).
mkdir -p "$root/usr/share/terminfo"
cp -R /lib/terminfo/. "$root/usr/share/terminfo/"
cp /etc/ssl/certs/ca-certificates.crt "$root/etc/ssl/certs/"
printf 'root:x:0:0:root:/root:/nonexistent\ndravo:x:10001:0:DravoServ:/data:/nonexistent\n' >"$root/etc/passwd"
printf 'root:x:0:\n' >"$root/etc/group"
printf 'hosts: files dns\n' >"$root/etc/nsswitch.conf"
chmod 1777 "$root/tmp"
# Whatever user id the platform gives, in group 0, writes /data; what is made there stays the group's.
chown 10001:0 "$root/data"
chmod 2775 "$root/data"
