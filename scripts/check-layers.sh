#!/usr/bin/env bash
# Each folder includes only its own and lower layers:
#   plugin > driver > framework > exchange > codes > ecr > platform;
# sim and host stand beside the driver and use the platform layer only; host also uses the
# plug-in interface, a C header that includes no project header. Operating-system headers
# appear only in platform/posix, platform/win32, sim/posix and sim/win32.
set -euo pipefail
cd "$(dirname "$0")/.."
interface=plugin/qvrdll.h
order=(platform ecr codes exchange framework driver plugin)
allowed() {  # allowed <folder>: the folders it may include
  case $1 in
    sim|host) echo platform sim host ;;
    *) for f in "${order[@]}"; do echo "$f"; [ "$f" = "$1" ] && break; done ;;
  esac
}
bad=0
for dir in "${order[@]}" sim host; do
  ok=" $(allowed "$dir" | tr '\n' ' ') "
  while IFS=: read -r file line inc; do
    top=${inc%%/*}
    case " platform ecr codes exchange framework driver plugin sim host " in *" $top "*) ;; *) continue ;; esac
    [ "$dir $inc" = "host $interface" ] && continue
    case "$ok" in *" $top "*) ;; *) echo "$file:$line includes $inc (above $dir)"; bad=1 ;; esac
  done < <(grep -rnoE '#include "[^"]+"' "$dir" | sed -E 's/#include "([^"]+)"/\1/')
done
if grep -n '#include "' "$interface"; then echo "$interface must include no project header"; bad=1; fi
os_headers='<(windows|winsock2|ws2tcpip|unistd|termios|fcntl|dlfcn|pty|poll|netdb)\.h>|<sys/|<arpa/|<netinet/'
while IFS= read -r hit; do
  case "$hit" in platform/posix/*|platform/win32/*|sim/posix/*|sim/win32/*) ;; *) echo "OS header outside the OS folders: $hit"; bad=1 ;; esac
done < <(grep -rnE "#include $os_headers" platform ecr codes exchange framework driver plugin sim host || true)
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad
