#!/usr/bin/env bash
# Runs the Tavelo view site for one public HTTPS origin on a Debian 12 machine (or in
# the container of deploy/Containerfile): the view site program with its data job on
# loopback, and nginx in front of it for HTTPS.
#
#   deploy/site-on-nginx.sh --server-name views.example.org \
#       --certificate /etc/letsencrypt/live/views.example.org/fullchain.pem \
#       --key /etc/letsencrypt/live/views.example.org/privkey.pem
#
# Options (defaults in brackets): --https-port [443] --http-port [80]
#   --site-program [/usr/bin/tavelo-live-wallpaper-site] --site-port [8787]
#   --data [/var/cache/tavelo-live-wallpaper-site] --config [/etc/tavelo-live-wallpaper/site.json]
#   --work [/run/tavelo-live-wallpaper-site]  (nginx's configuration, logs and pid)  --no-ipv6
# Both run in the foreground; SIGTERM or Ctrl+C ends both.
# The applications for this site are built with -DTAVELO_VIEW_SITE_ORIGIN=https://<server-name>
# (plus :<https-port> when it is not 443).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
server_name="" certificate="" key="" https_port=443 http_port=80
site_program=/usr/bin/tavelo-live-wallpaper-site site_port=8787
data=/var/cache/tavelo-live-wallpaper-site config=/etc/tavelo-live-wallpaper/site.json
work=/run/tavelo-live-wallpaper-site
ipv6=yes
while (($#)); do
  case "$1" in
    --no-ipv6) ipv6=no; shift; continue ;;  # for hosts without IPv6
    --server-name) server_name=$2 ;;
    --certificate) certificate=$2 ;;
    --key) key=$2 ;;
    --https-port) https_port=$2 ;;
    --http-port) http_port=$2 ;;
    --site-program) site_program=$2 ;;
    --site-port) site_port=$2 ;;
    --data) data=$2 ;;
    --config) config=$2 ;;
    --work) work=$2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift 2
done
[[ -n "$server_name" && -r "$certificate" && -r "$key" ]] || {
  echo "usage: $0 --server-name NAME --certificate FULLCHAIN.pem --key KEY.pem [options]" >&2; exit 2; }
[[ "$server_name" =~ ^[A-Za-z0-9.-]+$ ]] || { echo "not a host name: $server_name" >&2; exit 2; }

mkdir -p "$work/logs" "$data"
fill() { sed -e "s|@$1@|$2|g"; }
fill SERVER_NAME "$server_name" <"$here/tavelo-site.nginx.conf.in" | fill HTTPS_PORT "$https_port" |
  fill HTTP_PORT "$http_port" | fill CERTIFICATE "$certificate" | fill CERTIFICATE_KEY "$key" |
  fill UPSTREAM "127.0.0.1:$site_port" | { if [[ $ipv6 == yes ]]; then cat; else grep -v 'listen \[::\]'; fi; } \
  >"$work/site.conf"
cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log stderr;
events { worker_connections 256; }
http {
    access_log $work/logs/access.log;
    client_body_temp_path $work/body;
    proxy_temp_path $work/proxy;
    include $work/site.conf;
}
CONF

pids=()
stop() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait; }
trap stop EXIT
trap 'exit 0' INT TERM
# The site program needs no privileges: as root, it runs as the tavelo-site account
# where one exists (the container makes it).
as_site=()
if [[ $(id -u) -eq 0 ]] && id tavelo-site >/dev/null 2>&1; then
  chown tavelo-site "$data"
  as_site=(setpriv --reuid=tavelo-site --regid="$(id -g tavelo-site)" --init-groups)
fi
# A settings file named on the command line must be usable; without one, the site asks
# its built-in sources.
config_option=()
[[ -e "$config" ]] && config_option=(--config "$config")
"${as_site[@]}" "$site_program" --listen "127.0.0.1:$site_port" --idle-exit 0 --data "$data" "${config_option[@]}" &
pids+=($!)
nginx -p "$work" -c "$work/nginx.conf" -g 'daemon off;' &
pids+=($!)
wait -n
