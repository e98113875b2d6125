#!/bin/sh
# Lays out the runtime image's whole tree in ROOT from the release build in BUILD: the program and the
# engine library with every shared library they load (found with ldd) and the loader, the guide, the
# sample game, a static busybox for the start script, the CA certificates (https server lists), the user
# dravo (10001) and its empty /data.
# Usage: stage-runtime.sh BUILD ROOT
set -eu
build=$1
root=$2
here=$(dirname "$0")

mkdir -p "$root/opt/dravoserv" "$root/bin" "$root/etc/ssl/certs" "$root/tmp" "$root/data"
install -m 0755 -s "$build/bin/dravoserv" "$root/opt/dravoserv/dravoserv"
install -m 0644 -s "$build/bin/server.so" "$root/opt/dravoserv/server.so"
install -m 0644 DravoSrv.txt "$root/opt/dravoserv/DravoSrv.txt"
install -m 0755 "$here/dravoserv-entrypoint" "$root/opt/dravoserv/dravoserv-entrypoint"
cp -R data "$root/opt/dravoserv/game"
install -m 0644 DravoSrv.txt "$root/opt/dravoserv/game/DravoSrv.txt"

# Every library either file needs, by the path the loader finds it under, and the loader itself; libcurl,
# which the program loads when it first makes an HTTP request (the fleet client, web registration), with
# everything it needs.
curl=$(/sbin/ldconfig -p | sed -n 's/.*libcurl\.so\.4 (libc6,x86-64) => \(.*\)$/\1/p' | head -n 1)
[ -n "$curl" ] || { echo "libcurl.so.4 is not installed" >&2; exit 1; }
for library in $(ldd "$root/opt/dravoserv/dravoserv" "$root/opt/dravoserv/server.so" "$curl" |
    sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p; s/^[[:space:]]*\(\/[^ ]*\) .*/\1/p' | sort -u) "$curl"; do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
done

install -m 0755 /bin/busybox "$root/bin/busybox"
for applet in sh cat cp mkdir mv sed ls rm; do
    ln -s busybox "$root/bin/$applet"
done
cp /etc/ssl/certs/ca-certificates.crt "$root/etc/ssl/certs/"
printf 'root:x:0:0:root:/root:/bin/sh\ndravo:x:10001:10001:DravoServ:/data:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\ndravo:x:10001:\n' >"$root/etc/group"
printf 'hosts: files dns\n' >"$root/etc/nsswitch.conf"
chmod 1777 "$root/tmp"
chown 10001:10001 "$root/data"
