#!/bin/sh
# Writes the HA metrics of this CP for node_exporter's textfile collector: run it from
# cron or a timer, with the collector's directory (node_exporter's
# --collector.textfile.directory). The file is written under a temporary name that the
# collector does not read (it reads only *.prom) and renamed into place, so that a
# scrape never sees half a file. A failed hasnapshot removes the last file, so that no
# old sample stands as if it were current (alert on absent(ha_ready)); one that the timer
# stops running goes stale, which node_textfile_mtime_seconds{file=".../ha.prom"} shows.
# Stopped by a signal, it leaves nothing behind.
#
#   ha-metrics.sh /var/lib/prometheus/node-exporter
#
# HASNAPSHOT names the command (default /sbin/hasnapshot).
set -eu
dir=${1:?usage: ha-metrics.sh TEXTFILE_DIRECTORY}
tmp=$dir/.ha.prom.$$
trap 'rm -f "$tmp"' EXIT
trap 'exit 143' TERM INT HUP
if ! "${HASNAPSHOT:-/sbin/hasnapshot}" --prometheus >"$tmp"; then
    rm -f "$dir/ha.prom"
    exit 1
fi
chmod 644 "$tmp"
mv -f "$tmp" "$dir/ha.prom"
