#!/usr/bin/env bash
# A throw-away nginx on 127.0.0.1 serving a directory:
#   start DIR [NAME CERT KEY]... | stop DIR
# DIR/root is served over plain HTTP on the port written to DIR/port. Each NAME CERT KEY adds a
# TLS port serving the same root with that certificate (PEM) and key, written to
# DIR/tls_port_NAME; the first one's port is also written to DIR/tls_port.
set -euo pipefail
action=$1 dir=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
case $action in
  start)
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
    mkdir -p "$dir/root" "$dir/tmp"
    rm -f "$dir"/tls_port*
    port=$(free_port)
    tls_servers=""
    tls_names=() tls_ports=()
    while [ $# -ge 3 ]; do
      tls_port=$(free_port)
      tls_names+=("$1") tls_ports+=("$tls_port")
      tls_servers+="
  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_protocols TLSv1.2 TLSv1.3;
    ssl_certificate $(realpath "$2");
    ssl_certificate_key $(realpath "$3");
    root $dir/root;
  }"
      shift 3
    done
    [ $# -eq 0 ] || { echo "usage: $0 start DIR [NAME CERT KEY]..." >&2; exit 2; }
    cat >"$dir/nginx.conf" <<CONF
daemon on;
master_process on;
worker_processes 1;
user root;
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 64; }
http {
  access_log $dir/access.log;
  client_body_temp_path $dir/tmp;
  proxy_temp_path $dir/tmp;
  fastcgi_temp_path $dir/tmp;
  uwsgi_temp_path $dir/tmp;
  scgi_temp_path $dir/tmp;
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$port;
    root $dir/root;
  }$tls_servers
}
CONF
    nginx -c "$dir/nginx.conf" -p "$dir" -e "$dir/error.log"
    echo "$port" >"$dir/port"
    for i in "${!tls_names[@]}"; do
      echo "${tls_ports[$i]}" >"$dir/tls_port_${tls_names[$i]}"
      [ "$i" -ne 0 ] || echo "${tls_ports[$i]}" >"$dir/tls_port"
    done
    ;;
  stop)
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
    rm -f "$dir/nginx.pid"
    ;;
  *) echo "usage: $0 start DIR [NAME CERT KEY]... | stop DIR" >&2; exit 2 ;;
esac
