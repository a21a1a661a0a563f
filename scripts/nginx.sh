#!/usr/bin/env bash
# A throw-away nginx on 127.0.0.1 serving a directory: start DIR | stop DIR.
# DIR/root is served; the port it listens on is written to DIR/port.
set -euo pipefail
action=$1 dir=$(mkdir -p "$2" && cd "$2" && pwd)
case $action in
  start)
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
    mkdir -p "$dir/root" "$dir/tmp"
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
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
  }
}
CONF
    nginx -c "$dir/nginx.conf" -p "$dir" -e "$dir/error.log"
    echo "$port" >"$dir/port"
    ;;
  stop)
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
    rm -f "$dir/nginx.pid"
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
