#!/bin/sh
# Writes the HA metrics of this CP for node_exporter's textfile collector: run it from
# cron or a timer, with the collector's directory (node_exporter's
# --collector.textfile.directory). The file is written under a temporary name that the
# collector does not read (it reads only *.prom) and renamed into place, so that a
# scrape never sees half a file; a failed hasnapshot leaves the last file as it was.
#
#   ha-metrics.sh /var/lib/prometheus/node-exporter
#
# HASNAPSHOT names the command (default /sbin/hasnapshot).
set -eu
dir=${1:?usage: ha-metrics.sh TEXTFILE_DIRECTORY}
tmp=$dir/.ha.prom.$$
trap 'rm -f "$tmp"' EXIT
"${HASNAPSHOT:-/sbin/hasnapshot}" --prometheus >"$tmp"
chmod 644 "$tmp"
mv -f "$tmp" "$dir/ha.prom"
